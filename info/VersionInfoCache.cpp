#include "info/VersionInfoCache.h"

#include "info/OsClassification.h"

#include <cstdio>

namespace {

constexpr std::uint32_t kPathBufferSize = 260;

std::string FormatShortVersion(std::int32_t major, std::int32_t minor, std::int32_t build)
{
    char buffer[64];
    if (build != 0)
        std::snprintf(buffer, sizeof buffer, "%d.%d%c", major, minor, (96 + build) % 256);
    else
        std::snprintf(buffer, sizeof buffer, "%d.%d", major, minor);
    return buffer;
}

std::string FormatVersionString(const std::int32_t (&parts)[4])
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", static_cast<unsigned>(parts[0]),
                  static_cast<unsigned>(parts[1]), static_cast<unsigned>(parts[2]),
                  static_cast<unsigned>(parts[3]));
    return buffer;
}

}  // namespace

VersionInfoCache::VersionInfoCache(VersionRecordSource& record, OsInfoSource& os,
                                   IsLeadByteFunction isLeadByte)
    : record_(record), os_(os), isLeadByte_(isLeadByte)
{
}

void VersionInfoCache::ReadVersionInfo()
{
    if (read_)
        return;
    std::string path;
    if (ReadProgramPath(path)) {
        ReadRecord(path);
        StoreModulePath(path);
    }
    ReadOs();
    read_ = true;
}

// A path cut to the buffer names another file or none at all; reading a record or
// deriving a directory from it would report something that is not this program. Such
// a path is not used: the module path, its directory and the record's values stay empty.
bool VersionInfoCache::ReadProgramPath(std::string& path)
{
    char buffer[kPathBufferSize] = {};
    const std::uint32_t length = record_.CopyProgramPath(buffer, kPathBufferSize);
    if (length == 0 || length >= kPathBufferSize)
        return false;
    path.assign(buffer, length);
    return true;
}

// Without a record, or with only pieces of one, whatever is missing stays as before the
// read: the version numbers 0, the version texts and string entries empty. The program
// then shows empty texts rather than a made-up version.
void VersionInfoCache::ReadRecord(const std::string& path)
{
    if (!record_.LoadRecord(path))
        return;
    ReadProductVersion();
    ReadStringEntries();
    record_.FreeRecord();
}

void VersionInfoCache::ReadProductVersion()
{
    std::uint32_t mostSignificant = 0;
    std::uint32_t leastSignificant = 0;
    if (!record_.QueryFixedProductVersion(mostSignificant, leastSignificant))
        return;
    parts_[0] = static_cast<std::int32_t>(mostSignificant >> 16);
    parts_[1] = static_cast<std::int32_t>(mostSignificant & 0xFFFFu);
    parts_[2] = static_cast<std::int32_t>(leastSignificant >> 16);
    parts_[3] = static_cast<std::int32_t>(leastSignificant & 0xFFFFu);
    shortVersion_ = FormatShortVersion(parts_[0], parts_[1], parts_[2]);
    versionString_ = FormatVersionString(parts_);
}

void VersionInfoCache::ReadStringEntries()
{
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
    if (!record_.QueryFirstTranslation(language, codePage))
        return;

    struct Entry {
        const char* key;
        std::string* value;
    };
    const Entry entries[] = {
        {"ProductName", &productName_},
        {"CompanyName", &companyName_},
        {"LegalCopyright", &legalCopyright_},
        {"SpecialBuild", &specialBuild_},
    };
    for (const Entry& entry : entries) {
        char subBlock[96];
        std::snprintf(subBlock, sizeof subBlock, "StringFileInfo\\%04X%04X\\%s",
                      static_cast<unsigned>(language), static_cast<unsigned>(codePage),
                      entry.key);
        std::string text;
        if (record_.QueryString(subBlock, text) && !text.empty())
            *entry.value = text;
    }
}

void VersionInfoCache::StoreModulePath(const std::string& path)
{
    modulePath_ = path;
    const std::size_t last = FindLastBackslash(path, isLeadByte_);
    if (last != std::string::npos)
        moduleDirectory_ = path.substr(0, last + 1);
}

void VersionInfoCache::ReadOs()
{
    OsVersionFigures figures;
    if (!os_.QueryOsVersion(figures, true)) {
        figures = OsVersionFigures();
        if (!os_.QueryOsVersion(figures, false))
            return;
        figures.productType = 0;  // the basic structure has none
    }
    const OsClassification os =
        ClassifyOs(figures.platformId, figures.majorVersion, figures.minorVersion,
                   figures.productType, os_.GetProcessorArchitecture());
    osCode_ = os.code;
    osName_ = os.name;
}

std::string VersionInfoCache::GetProductName()
{
    ReadVersionInfo();
    return productName_;
}

std::string VersionInfoCache::GetVersionString()
{
    ReadVersionInfo();
    return versionString_;
}

std::string VersionInfoCache::GetLegalCopyright()
{
    ReadVersionInfo();
    return legalCopyright_;
}

std::string VersionInfoCache::GetCompanyName()
{
    ReadVersionInfo();
    return companyName_;
}

std::string VersionInfoCache::GetSpecialBuild()
{
    ReadVersionInfo();
    return specialBuild_;
}

std::string VersionInfoCache::GetShortVersion()
{
    ReadVersionInfo();
    return shortVersion_;
}

void VersionInfoCache::GetVersionNumbers(std::int32_t* part1, std::int32_t* part2,
                                         std::int32_t* part3, std::int32_t* part4)
{
    ReadVersionInfo();
    std::int32_t* const targets[] = {part1, part2, part3, part4};
    for (int i = 0; i < 4; ++i) {
        if (targets[i])
            *targets[i] = parts_[i];
    }
}

void VersionInfoCache::GetMajorMinorVersion(std::int32_t* major, std::int32_t* minor)
{
    ReadVersionInfo();
    if (major)
        *major = parts_[0];
    if (minor)
        *minor = parts_[1];
}

std::string VersionInfoCache::GetModulePath()
{
    ReadVersionInfo();
    return modulePath_;
}

std::string VersionInfoCache::GetModuleDirectory()
{
    ReadVersionInfo();
    return moduleDirectory_;
}

std::int32_t VersionInfoCache::GetOSVersionCode()
{
    ReadVersionInfo();
    return osCode_;
}

std::string VersionInfoCache::GetOSName()
{
    ReadVersionInfo();
    return osName_;
}
