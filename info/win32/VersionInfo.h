#pragma once

#include "info/PathText.h"  // ExtractDirectory, ExtractFileName

#include <windows.h>

#include <cstdint>
#include <string>

// Who the program is: its own version record, its path and the Windows version, read
// on the first request and kept for the life of the process. User-interface thread only.

std::string GetProductName();
std::string GetVersionString();   // e.g. "0.5.0.0"
std::string GetLegalCopyright();
std::string GetCompanyName();
std::string GetSpecialBuild();    // empty when the record has none
std::string GetShortVersion();    // e.g. "0.5", "1.2c"
void GetVersionNumbers(std::int32_t* part1, std::int32_t* part2, std::int32_t* part3,
                       std::int32_t* part4);
void GetMajorMinorVersion(std::int32_t* major, std::int32_t* minor);
std::string GetModulePath();
std::string GetModuleDirectory(); // with its trailing backslash
std::int32_t GetOSVersionCode();
std::string GetOSName();

// The file path of any loaded module, without the cache.
std::string GetModulePathOf(HMODULE module);
