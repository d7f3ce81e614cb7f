#include "info/VersionInfoCache.h"
#include "info/win32/VersionInfo.h"
#include "info/win32/VersionInfoSources.h"
#include "TidemarkVersion.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The real program lands next to this test program.
std::string TidemarkExePath()
{
    return ExtractDirectory(GetModulePathOf(nullptr)) + "tidemark.exe";
}

// The system's own sources, pointed at tidemark.exe instead of the running program.
class TidemarkExeRecord : public Win32VersionRecordSource {
public:
    std::uint32_t CopyProgramPath(char* buffer, std::uint32_t size) override
    {
        const std::string path = TidemarkExePath();
        if (path.size() >= size)
            return 0;
        std::memcpy(buffer, path.c_str(), path.size() + 1);
        return static_cast<std::uint32_t>(path.size());
    }
};

TEST(VersionInfo, TheBuiltProgramCarriesItsRecord)
{
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(TidemarkExePath().c_str()))
        << TidemarkExePath();
    TidemarkExeRecord record;
    Win32OsInfoSource os;
    VersionInfoCache cache(record, os, AnsiIsLeadByte);

    EXPECT_EQ("Tidemark", cache.GetProductName());
    // The release's three fields, as the build numbers it, and a fourth that stays 0.
    const std::string release = TIDEMARK_VERSION_TEXT;
    EXPECT_EQ(release + ".0", cache.GetVersionString());
    EXPECT_EQ(release.substr(0, release.rfind('.')), cache.GetShortVersion());
    EXPECT_EQ("none", cache.GetCompanyName());
    EXPECT_EQ("", cache.GetSpecialBuild());
    EXPECT_EQ("Copyright (C) 2025-2026 Tidemark developers", cache.GetLegalCopyright());
    std::int32_t parts[4] = {-1, -1, -1, -1};
    cache.GetVersionNumbers(&parts[0], &parts[1], &parts[2], &parts[3]);
    EXPECT_EQ(release + ".0", std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
                                  std::to_string(parts[2]) + "." + std::to_string(parts[3]));
    EXPECT_TRUE(EndsWith(Lower(cache.GetModulePath()), "\\tidemark.exe"))
        << cache.GetModulePath();
    EXPECT_EQ(ExtractDirectory(cache.GetModulePath()), cache.GetModuleDirectory());
}

TEST(VersionInfo, TheRecordAnswersTheQueriesTheReaderMakes)
{
    Win32VersionRecordSource record;
    ASSERT_TRUE(record.LoadRecord(TidemarkExePath()));
    std::uint16_t language = 0, codePage = 0;
    ASSERT_TRUE(record.QueryFirstTranslation(language, codePage));
    EXPECT_EQ(0x0407, language);
    EXPECT_EQ(1252, codePage);
    std::string text;
    EXPECT_TRUE(record.QueryString("StringFileInfo\\040704E4\\ProductName", text));
    EXPECT_EQ("Tidemark", text);
    EXPECT_FALSE(record.QueryString("StringFileInfo\\040704E4\\SpecialBuild", text));
    record.FreeRecord();
    EXPECT_FALSE(record.QueryString("StringFileInfo\\040704E4\\ProductName", text));
}

// A plain file next to the test program: readable, but without a version record.
class PlainFileRecord : public Win32VersionRecordSource {
public:
    std::string path = ExtractDirectory(GetModulePathOf(nullptr)) + "no-version-record.txt";

    std::uint32_t CopyProgramPath(char* buffer, std::uint32_t size) override
    {
        if (path.size() >= size)
            return 0;
        std::memcpy(buffer, path.c_str(), path.size() + 1);
        return static_cast<std::uint32_t>(path.size());
    }
};

TEST(VersionInfo, AFileWithoutARecordLeavesEmptyTexts)
{
    PlainFileRecord record;
    const HANDLE file = ::CreateFileA(record.path.c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    ::WriteFile(file, "plain text\r\n", 12, &written, nullptr);
    ::CloseHandle(file);

    Win32OsInfoSource os;
    VersionInfoCache cache(record, os, AnsiIsLeadByte);
    EXPECT_EQ("", cache.GetProductName());
    EXPECT_EQ("", cache.GetVersionString());
    EXPECT_EQ("", cache.GetShortVersion());
    EXPECT_EQ(record.path, cache.GetModulePath());
    ::DeleteFileA(record.path.c_str());
}

TEST(VersionInfo, ModulePathsOfTheTestProgram)
{
    const std::string own = GetModulePathOf(nullptr);
    EXPECT_TRUE(EndsWith(Lower(own), "\\win32_tests.exe")) << own;
    EXPECT_EQ("win32_tests.exe", Lower(ExtractFileName(own)));
    EXPECT_EQ(own, GetModulePathOf(::GetModuleHandleA(nullptr)));
    EXPECT_TRUE(EndsWith(Lower(GetModulePathOf(::GetModuleHandleA("kernel32.dll"))),
                         "\\kernel32.dll"));

    // The program's getters read the running program, here this test program.
    EXPECT_EQ(own, GetModulePath());
    EXPECT_EQ(ExtractDirectory(own), GetModuleDirectory());
    EXPECT_FALSE(GetOSName().empty());
}

}  // namespace
