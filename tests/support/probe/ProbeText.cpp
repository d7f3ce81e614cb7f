#include "ProbeText.h"

#include <vector>

namespace probe {

std::string ToWindows1252(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(1252, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(1252, 0, text.data(), length, &bytes[0], size, nullptr, nullptr);
    return bytes;
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 0x0F];
    }
    return hex;
}

std::string WindowText(HWND window) {
    // Captions are not limited in length; grow the buffer until the text fits.
    for (int capacity = 256; capacity <= (1 << 20); capacity *= 4) {
        std::vector<wchar_t> buffer(static_cast<size_t>(capacity), L'\0');
        const int length = InternalGetWindowText(window, buffer.data(), capacity);
        if (length < capacity - 1) return ToWindows1252(std::wstring(buffer.data(), static_cast<size_t>(length)));
    }
    return std::string();
}

std::string ClassName(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, static_cast<int>(sizeof name));
    return name;
}

}  // namespace probe
