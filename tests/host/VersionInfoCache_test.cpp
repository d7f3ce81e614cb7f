#include "info/VersionInfoCache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace {

// A program file and its record as plain values; counts every call so that tests can
// tell whether the cache went back to its sources.
class FakeRecord : public VersionRecordSource {
public:
    std::string programPath = "C:\\Program Files\\Tidemark\\tidemark.exe";
    bool failPath = false;
    bool hasRecord = true;
    bool hasFixedPart = true;
    std::uint32_t productVersionMs = 0x00000005;
    std::uint32_t productVersionLs = 0x00000000;
    bool hasTranslation = true;
    std::uint16_t language = 0x0407;
    std::uint16_t codePage = 0x04E4;
    std::map<std::string, std::string> strings = {
        {"StringFileInfo\\040704E4\\ProductName", "Tidemark"},
        {"StringFileInfo\\040704E4\\CompanyName", "none"},
        {"StringFileInfo\\040704E4\\LegalCopyright", "Copyright (C) 2025-2026 Tidemark developers"},
        {"StringFileInfo\\040704E4\\Comments", "no Comments"},
    };

    int calls = 0;
    std::string loadedPath;
    bool loaded = false;

    std::uint32_t CopyProgramPath(char* buffer, std::uint32_t size) override
    {
        ++calls;
        if (failPath)
            return 0;
        // Cut to the buffer as the system does: a path that does not fit returns `size`.
        const std::size_t copied = std::min<std::size_t>(programPath.size(), size - 1);
        std::memcpy(buffer, programPath.data(), copied);
        buffer[copied] = '\0';
        return programPath.size() >= size ? size : static_cast<std::uint32_t>(copied);
    }
    bool LoadRecord(const std::string& path) override
    {
        ++calls;
        loadedPath = path;
        loaded = hasRecord;
        return hasRecord;
    }
    bool QueryFixedProductVersion(std::uint32_t& ms, std::uint32_t& ls) override
    {
        ++calls;
        EXPECT_TRUE(loaded);
        if (!hasFixedPart)
            return false;
        ms = productVersionMs;
        ls = productVersionLs;
        return true;
    }
    bool QueryFirstTranslation(std::uint16_t& lang, std::uint16_t& cp) override
    {
        ++calls;
        EXPECT_TRUE(loaded);
        if (!hasTranslation)
            return false;
        lang = language;
        cp = codePage;
        return true;
    }
    bool QueryString(const std::string& subBlock, std::string& text) override
    {
        ++calls;
        EXPECT_TRUE(loaded);
        const auto found = strings.find(subBlock);
        if (found == strings.end() || found->second.empty())
            return false;
        text = found->second;
        return true;
    }
    void FreeRecord() override
    {
        ++calls;
        loaded = false;
    }
};

class FakeOs : public OsInfoSource {
public:
    bool extendedWorks = true;
    bool basicWorks = true;
    OsVersionFigures figures{5, 1, 2, 1};
    std::uint16_t architecture = 9;
    int calls = 0;

    bool QueryOsVersion(OsVersionFigures& out, bool extended) override
    {
        ++calls;
        if (!(extended ? extendedWorks : basicWorks))
            return false;
        out = figures;  // a careless source may even hand a product type to the basic call
        return true;
    }
    std::uint16_t GetProcessorArchitecture() override
    {
        ++calls;
        return architecture;
    }
};

struct Parts {
    std::int32_t p[4] = {-1, -1, -1, -1};
};

Parts VersionNumbers(VersionInfoCache& cache)
{
    Parts parts;
    cache.GetVersionNumbers(&parts.p[0], &parts.p[1], &parts.p[2], &parts.p[3]);
    return parts;
}

class VersionInfoCacheTest : public ::testing::Test {
protected:
    FakeRecord record;
    FakeOs os;
};

TEST_F(VersionInfoCacheTest, ReadsTheProgramsOwnRecord)
{
    VersionInfoCache cache(record, os);
    EXPECT_EQ("Tidemark", cache.GetProductName());
    EXPECT_EQ("0.5.0.0", cache.GetVersionString());
    EXPECT_EQ("0.5", cache.GetShortVersion());
    EXPECT_EQ("none", cache.GetCompanyName());
    EXPECT_EQ("Copyright (C) 2025-2026 Tidemark developers", cache.GetLegalCopyright());
    EXPECT_EQ("", cache.GetSpecialBuild());
    const Parts parts = VersionNumbers(cache);
    EXPECT_EQ(0, parts.p[0]);
    EXPECT_EQ(5, parts.p[1]);
    EXPECT_EQ(0, parts.p[2]);
    EXPECT_EQ(0, parts.p[3]);
    std::int32_t major = -1, minor = -1;
    cache.GetMajorMinorVersion(&major, &minor);
    EXPECT_EQ(0, major);
    EXPECT_EQ(5, minor);
    EXPECT_EQ(record.programPath, record.loadedPath);
    EXPECT_FALSE(record.loaded) << "the record block is freed after reading";
}

TEST_F(VersionInfoCacheTest, ShortVersionCarriesTheBuildAsALetter)
{
    struct Case {
        std::uint32_t ms, ls;
        const char* shortVersion;
        const char* versionString;
    };
    const Case cases[] = {
        {0x00010002, 0x00030004, "1.2c", "1.2.3.4"},
        {0x00020000, 0x00010007, "2.0a", "2.0.1.7"},
        {0xFFFF000A, 0x0002FFFF, "65535.10b", "65535.10.2.65535"},
    };
    for (const Case& c : cases) {
        FakeRecord source;
        source.productVersionMs = c.ms;
        source.productVersionLs = c.ls;
        VersionInfoCache cache(source, os);
        EXPECT_EQ(c.shortVersion, cache.GetShortVersion());
        EXPECT_EQ(c.versionString, cache.GetVersionString());
    }
}

TEST_F(VersionInfoCacheTest, StringEntriesFollowTheFirstTranslation)
{
    record.language = 0x0409;
    record.codePage = 0x04B0;
    record.strings = {
        {"StringFileInfo\\040904B0\\ProductName", "Other"},
        {"StringFileInfo\\040904B0\\SpecialBuild", "private"},
        {"StringFileInfo\\040904B0\\CompanyName", ""},
        {"StringFileInfo\\040704E4\\LegalCopyright", "wrong table"},
    };
    VersionInfoCache cache(record, os);
    EXPECT_EQ("Other", cache.GetProductName());
    EXPECT_EQ("private", cache.GetSpecialBuild());
    EXPECT_EQ("", cache.GetCompanyName());
    EXPECT_EQ("", cache.GetLegalCopyright());
}

TEST_F(VersionInfoCacheTest, ModuleDirectoryKeepsItsBackslashAndSkipsDoubleByteTrails)
{
    {
        VersionInfoCache cache(record, os);
        EXPECT_EQ("C:\\Program Files\\Tidemark\\tidemark.exe", cache.GetModulePath());
        EXPECT_EQ("C:\\Program Files\\Tidemark\\", cache.GetModuleDirectory());
    }
    {
        // 0x95 0x5C is one double-byte character whose trail byte looks like a backslash.
        FakeRecord source;
        source.programPath = "C:\\A\\\x95\\.exe";
        VersionInfoCache cache(source, os, [](unsigned char b) { return b == 0x95; });
        EXPECT_EQ("C:\\A\\", cache.GetModuleDirectory());
    }
}

TEST_F(VersionInfoCacheTest, ASecondCallGoesToNoSourceAgain)
{
    VersionInfoCache cache(record, os);
    const std::string first = cache.GetProductName();
    const int recordCalls = record.calls;
    const int osCalls = os.calls;
    record.strings["StringFileInfo\\040704E4\\ProductName"] = "Changed";
    EXPECT_EQ(first, cache.GetProductName());
    cache.GetVersionString();
    cache.GetOSName();
    cache.GetModulePath();
    VersionNumbers(cache);
    EXPECT_EQ(recordCalls, record.calls);
    EXPECT_EQ(osCalls, os.calls);
}

TEST_F(VersionInfoCacheTest, AReadThatFoundNothingIsNotRepeated)
{
    record.failPath = true;
    os.extendedWorks = false;
    os.basicWorks = false;
    VersionInfoCache cache(record, os);
    EXPECT_EQ("", cache.GetProductName());
    EXPECT_EQ("none", cache.GetOSName());
    const int recordCalls = record.calls;
    const int osCalls = os.calls;
    record.failPath = false;
    os.extendedWorks = true;
    EXPECT_EQ("", cache.GetProductName());
    EXPECT_EQ(0, cache.GetOSVersionCode());
    EXPECT_EQ("none", cache.GetOSName());
    EXPECT_EQ(recordCalls, record.calls);
    EXPECT_EQ(osCalls, os.calls);
}

TEST_F(VersionInfoCacheTest, WithoutARecordEveryTextIsEmptyAndThePathIsKept)
{
    record.hasRecord = false;
    VersionInfoCache cache(record, os);
    EXPECT_EQ("", cache.GetProductName());
    EXPECT_EQ("", cache.GetVersionString());
    EXPECT_EQ("", cache.GetShortVersion());
    EXPECT_EQ("", cache.GetLegalCopyright());
    const Parts parts = VersionNumbers(cache);
    EXPECT_EQ(0, parts.p[0] | parts.p[1] | parts.p[2] | parts.p[3]);
    EXPECT_EQ(record.programPath, cache.GetModulePath());
    EXPECT_EQ("XP", cache.GetOSName()) << "the OS is classified all the same";
}

TEST_F(VersionInfoCacheTest, MissingPartsOfARecordLeaveOnlyTheirOwnValuesEmpty)
{
    {
        FakeRecord source;
        source.hasFixedPart = false;
        VersionInfoCache cache(source, os);
        EXPECT_EQ("", cache.GetVersionString());
        EXPECT_EQ("", cache.GetShortVersion());
        EXPECT_EQ("Tidemark", cache.GetProductName());
    }
    {
        FakeRecord source;
        source.hasTranslation = false;
        VersionInfoCache cache(source, os);
        EXPECT_EQ("0.5.0.0", cache.GetVersionString());
        EXPECT_EQ("", cache.GetProductName());
        EXPECT_EQ("", cache.GetCompanyName());
    }
}

TEST_F(VersionInfoCacheTest, APathLongerThanTheBufferIsNotUsed)
{
    const std::string directory = "C:\\" + std::string(250, 'd') + "\\";
    {
        FakeRecord source;
        source.programPath = directory + "a.exe";  // 259 characters: still fits
        ASSERT_EQ(259u, source.programPath.size());
        VersionInfoCache cache(source, os);
        EXPECT_EQ(source.programPath, cache.GetModulePath());
        EXPECT_EQ(directory, cache.GetModuleDirectory());
        EXPECT_EQ("Tidemark", cache.GetProductName());
    }
    {
        FakeRecord source;
        source.programPath = directory + "ab.exe";  // 260 characters: cut by the system
        VersionInfoCache cache(source, os);
        EXPECT_EQ("", cache.GetModulePath());
        EXPECT_EQ("", cache.GetModuleDirectory());
        EXPECT_EQ("", cache.GetProductName());
        EXPECT_EQ("", cache.GetVersionString());
        EXPECT_EQ("", source.loadedPath) << "no record is read from a cut path";
        EXPECT_EQ(7, cache.GetOSVersionCode()) << "the OS is classified all the same";
    }
}

TEST_F(VersionInfoCacheTest, ClassifiesTheRunningWindows)
{
    os.figures = OsVersionFigures{5, 2, 2, 1};
    os.architecture = 9;
    VersionInfoCache cache(record, os);
    EXPECT_EQ(8, cache.GetOSVersionCode());
    EXPECT_EQ("XP64", cache.GetOSName());
}

TEST_F(VersionInfoCacheTest, TheBasicStructureCarriesNoProductType)
{
    os.extendedWorks = false;
    os.architecture = 9;
    os.figures = OsVersionFigures{5, 2, 2, 1};
    {
        VersionInfoCache cache(record, os);
        EXPECT_EQ(6, cache.GetOSVersionCode());
        EXPECT_EQ("2003", cache.GetOSName());
    }
    os.figures = OsVersionFigures{6, 0, 2, 1};
    {
        VersionInfoCache cache(record, os);
        EXPECT_EQ(10, cache.GetOSVersionCode());
        EXPECT_EQ("Longhorn", cache.GetOSName());
    }
}

TEST_F(VersionInfoCacheTest, AnUnknownWindowsIsNone)
{
    os.figures = OsVersionFigures{6, 1, 2, 1};
    VersionInfoCache cache(record, os);
    EXPECT_EQ(0, cache.GetOSVersionCode());
    EXPECT_EQ("none", cache.GetOSName());
}

}  // namespace
