#include "info/win32/VersionInfo.h"

#include "info/VersionInfoCache.h"
#include "info/win32/VersionInfoSources.h"

namespace {

VersionInfoCache& Cache()
{
    static Win32VersionRecordSource record;
    static Win32OsInfoSource os;
    static VersionInfoCache cache(record, os, AnsiIsLeadByte);
    return cache;
}

}  // namespace

std::string GetProductName() { return Cache().GetProductName(); }
std::string GetVersionString() { return Cache().GetVersionString(); }
std::string GetLegalCopyright() { return Cache().GetLegalCopyright(); }
std::string GetCompanyName() { return Cache().GetCompanyName(); }
std::string GetSpecialBuild() { return Cache().GetSpecialBuild(); }
std::string GetShortVersion() { return Cache().GetShortVersion(); }

void GetVersionNumbers(std::int32_t* part1, std::int32_t* part2, std::int32_t* part3,
                       std::int32_t* part4)
{
    Cache().GetVersionNumbers(part1, part2, part3, part4);
}

void GetMajorMinorVersion(std::int32_t* major, std::int32_t* minor)
{
    Cache().GetMajorMinorVersion(major, minor);
}

std::string GetModulePath() { return Cache().GetModulePath(); }
std::string GetModuleDirectory() { return Cache().GetModuleDirectory(); }
std::int32_t GetOSVersionCode() { return Cache().GetOSVersionCode(); }
std::string GetOSName() { return Cache().GetOSName(); }

std::string GetModulePathOf(HMODULE module)
{
    char buffer[4097] = {};
    ::GetModuleFileNameA(module, buffer, sizeof buffer);
    buffer[4096] = '\0';
    return buffer;
}
