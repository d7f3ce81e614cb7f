#pragma once

#include <cstdint>

// Code and short name of a Windows version, as the program reports it. Code 0 and
// "none" stand for anything the table does not know.
struct OsClassification {
    std::int32_t code = 0;
    const char* name = "none";
};

constexpr std::uint32_t kPlatformWin32s = 0;
constexpr std::uint32_t kPlatformWin32Windows = 1;
constexpr std::uint32_t kPlatformWin32Nt = 2;
constexpr std::uint8_t kNtWorkstation = 1;
constexpr std::uint16_t kProcessorArchitectureAmd64 = 9;

OsClassification ClassifyOs(std::uint32_t platformId, std::uint32_t majorVersion,
                            std::uint32_t minorVersion, std::uint8_t productType,
                            std::uint16_t processorArchitecture);
