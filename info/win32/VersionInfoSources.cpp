#include "info/win32/VersionInfoSources.h"

#include <cstring>

static_assert(sizeof(OSVERSIONINFOEXA) == 156, "the extended version structure is 156 bytes");
static_assert(sizeof(OSVERSIONINFOA) == 148, "the basic version structure is 148 bytes");

std::uint32_t Win32VersionRecordSource::CopyProgramPath(char* buffer, std::uint32_t size)
{
    return ::GetModuleFileNameA(nullptr, buffer, size);
}

bool Win32VersionRecordSource::LoadRecord(const std::string& path)
{
    block_.clear();
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0)
        return false;
    block_.assign(size, 0);
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, block_.data())) {
        block_.clear();
        return false;
    }
    return true;
}

bool Win32VersionRecordSource::QueryFixedProductVersion(std::uint32_t& mostSignificant,
                                                        std::uint32_t& leastSignificant)
{
    if (block_.empty())
        return false;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block_.data(), "\\", &value, &length) || !value ||
        length < sizeof(VS_FIXEDFILEINFO))
        return false;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    mostSignificant = fixed->dwProductVersionMS;
    leastSignificant = fixed->dwProductVersionLS;
    return true;
}

bool Win32VersionRecordSource::QueryFirstTranslation(std::uint16_t& language,
                                                     std::uint16_t& codePage)
{
    if (block_.empty())
        return false;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block_.data(), "\\VarFileInfo\\Translation", &value, &length) ||
        !value || length < sizeof(DWORD))
        return false;
    DWORD first = 0;
    std::memcpy(&first, value, sizeof first);
    language = LOWORD(first);
    codePage = HIWORD(first);
    return true;
}

bool Win32VersionRecordSource::QueryString(const std::string& subBlock, std::string& text)
{
    if (block_.empty())
        return false;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block_.data(), subBlock.c_str(), &value, &length) || !value ||
        length == 0)
        return false;
    // The reported length may or may not count the terminating zero; stop at either.
    const char* chars = static_cast<const char*>(value);
    std::size_t count = 0;
    while (count < length && chars[count] != '\0')
        ++count;
    text.assign(chars, count);
    return true;
}

void Win32VersionRecordSource::FreeRecord()
{
    block_.clear();
    block_.shrink_to_fit();
}

bool Win32OsInfoSource::QueryOsVersion(OsVersionFigures& figures, bool extended)
{
    OSVERSIONINFOEXA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = extended ? sizeof(OSVERSIONINFOEXA) : sizeof(OSVERSIONINFOA);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // the program classifies what the system reports to it
#endif
    if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)))
        return false;
    figures.majorVersion = info.dwMajorVersion;
    figures.minorVersion = info.dwMinorVersion;
    figures.platformId = info.dwPlatformId;
    figures.productType = extended ? info.wProductType : 0;
    return true;
}

std::uint16_t Win32OsInfoSource::GetProcessorArchitecture()
{
    SYSTEM_INFO info;
    std::memset(&info, 0, sizeof info);
    ::GetSystemInfo(&info);
    return info.wProcessorArchitecture;
}

bool AnsiIsLeadByte(unsigned char byte)
{
    return ::IsDBCSLeadByte(byte) != FALSE;
}
