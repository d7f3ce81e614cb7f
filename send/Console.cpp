#include "send/Console.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#include <fcntl.h>
#include <io.h>
#include <cstdio>

std::vector<std::string> Utf8Arguments(int argc, char** argv)
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
        if (size > 0) {
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &argument[0], size, nullptr, nullptr);
        }
        argument.pop_back();  // the terminating zero
        arguments.push_back(argument);
    }
    LocalFree(wide);
    return arguments;
}

std::FILE* OpenForReading(const std::string& utf8Path)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8Path.c_str(), -1, nullptr, 0);
    if (size <= 0) return nullptr;
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8Path.c_str(), -1, &wide[0], size);
    return _wfopen(wide.c_str(), L"rb");
}

void ReadStandardInputAsBytes()
{
    // A console keeps its own line editing and Ctrl+Z; only pipes and files become bytes.
    if (!_isatty(_fileno(stdin))) _setmode(_fileno(stdin), _O_BINARY);
}

#else

std::vector<std::string> Utf8Arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::FILE* OpenForReading(const std::string& utf8Path) { return std::fopen(utf8Path.c_str(), "rb"); }

void ReadStandardInputAsBytes() {}

#endif
