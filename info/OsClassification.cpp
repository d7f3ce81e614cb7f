#include "info/OsClassification.h"

namespace {

OsClassification Windows9x(std::uint32_t major, std::uint32_t minor)
{
    if (major != 4)
        return {};
    switch (minor) {
    case 0: return {1, "95"};
    case 10: return {2, "98"};
    case 90: return {3, "ME"};
    default: return {};
    }
}

// The codes follow the order in which the versions were added, not their release.
OsClassification WindowsNt(std::uint32_t major, std::uint32_t minor, std::uint8_t productType,
                           std::uint16_t processorArchitecture)
{
    if (major == 6 && minor == 0)
        return productType == kNtWorkstation ? OsClassification{9, "Vista"}
                                             : OsClassification{10, "Longhorn"};
    if (major == 5 && minor == 2) {
        if (productType == kNtWorkstation && processorArchitecture == kProcessorArchitectureAmd64)
            return {8, "XP64"};
        return {6, "2003"};
    }
    if (major == 5 && minor == 1)
        return {7, "XP"};
    if (major == 5 && minor == 0)
        return {5, "2000"};
    if (major <= 4)
        return {4, "NT"};
    return {};
}

}  // namespace

OsClassification ClassifyOs(std::uint32_t platformId, std::uint32_t majorVersion,
                            std::uint32_t minorVersion, std::uint8_t productType,
                            std::uint16_t processorArchitecture)
{
    switch (platformId) {
    case kPlatformWin32Windows: return Windows9x(majorVersion, minorVersion);
    case kPlatformWin32Nt:
        return WindowsNt(majorVersion, minorVersion, productType, processorArchitecture);
    default: return {};
    }
}
