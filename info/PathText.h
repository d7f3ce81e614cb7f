#pragma once

#include <cstddef>
#include <string>

// Splitting file paths at their last backslash.

// Whether a byte starts a double-byte character in the ANSI code page.
using IsLeadByteFunction = bool (*)(unsigned char byte);

// For single-byte code pages such as Windows-1252: no byte is a lead byte.
bool NoLeadBytes(unsigned char byte);

// Position of the last backslash that is a character of its own: the second byte of a
// double-byte character may equal 0x5C and does not count. npos when there is none.
std::size_t FindLastBackslash(const std::string& path, IsLeadByteFunction isLeadByte);

// Both look at every byte 0x5C, without regard to double-byte characters. Without a
// backslash they return the path unchanged.
// "D:\Tools\run.exe" -> "D:\Tools\" (the backslash included).
std::string ExtractDirectory(const std::string& path);
// "D:\Tools\run.exe" -> "run.exe"; "D:\Tools\" -> "".
std::string ExtractFileName(const std::string& path);
