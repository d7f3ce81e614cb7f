// Texts of other processes' windows, as the Windows-1252 bytes the program works with.
#pragma once

#include <windows.h>

#include <string>

namespace probe {

// Converts UTF-16 to Windows-1252 bytes. The conversion is done here rather than by the
// system's ANSI calls because those do not convert reliably across processes under Wine.
std::string ToWindows1252(const std::wstring& text);

// Lower-case hexadecimal digits of the bytes, two per byte, no separators.
std::string Hex(const std::string& bytes);

// The window's caption (the text its window procedure keeps), without sending it a
// message, so a window whose thread is busy cannot stall the probe.
std::string WindowText(HWND window);

// The class name, e.g. "#32770", "ListBox", "Button".
std::string ClassName(HWND window);

}  // namespace probe
