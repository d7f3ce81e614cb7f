#include "info/PathText.h"

bool NoLeadBytes(unsigned char)
{
    return false;
}

std::size_t FindLastBackslash(const std::string& path, IsLeadByteFunction isLeadByte)
{
    std::size_t last = std::string::npos;
    std::size_t i = 0;
    while (i < path.size()) {
        const unsigned char byte = static_cast<unsigned char>(path[i]);
        if (byte == '\\')
            last = i;
        i += isLeadByte(byte) ? 2 : 1;
    }
    return last;
}

std::string ExtractDirectory(const std::string& path)
{
    const std::size_t last = path.rfind('\\');
    return last == std::string::npos ? path : path.substr(0, last + 1);
}

std::string ExtractFileName(const std::string& path)
{
    const std::size_t last = path.rfind('\\');
    return last == std::string::npos ? path : path.substr(last + 1);
}
