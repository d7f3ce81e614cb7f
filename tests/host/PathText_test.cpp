#include "info/PathText.h"

#include <gtest/gtest.h>

namespace {

TEST(PathText, ExtractDirectoryAndFileName)
{
    EXPECT_EQ("D:\\Tools\\", ExtractDirectory("D:\\Tools\\run.exe"));
    EXPECT_EQ("run.exe", ExtractFileName("D:\\Tools\\run.exe"));
    EXPECT_EQ("D:\\Tools\\", ExtractDirectory("D:\\Tools\\"));
    EXPECT_EQ("", ExtractFileName("D:\\Tools\\"));
    EXPECT_EQ("run.exe", ExtractDirectory("run.exe"));
    EXPECT_EQ("run.exe", ExtractFileName("run.exe"));
    EXPECT_EQ("", ExtractDirectory(""));
    EXPECT_EQ("", ExtractFileName(""));
    EXPECT_EQ("\\", ExtractDirectory("\\x"));
    EXPECT_EQ("x", ExtractFileName("\\x"));
}

bool ShiftJisLike(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

TEST(PathText, LastBackslashRespectsDoubleByteCharacters)
{
    // "C:\dir\" then a double-byte character 0x95 0x5C, then "x.exe".
    const std::string path = "C:\\dir\\\x95\\x.exe";
    EXPECT_EQ(6u, FindLastBackslash(path, ShiftJisLike));
    EXPECT_EQ(8u, FindLastBackslash(path, NoLeadBytes));

    EXPECT_EQ(std::string::npos, FindLastBackslash("run.exe", NoLeadBytes));
    EXPECT_EQ(std::string::npos, FindLastBackslash("", NoLeadBytes));
    EXPECT_EQ(2u, FindLastBackslash("D:\\", NoLeadBytes));
    // 1252 letters above 0x80 are single bytes: the backslash behind them counts.
    EXPECT_EQ(5u, FindLastBackslash("C:\\\xFC\xDF\\a", NoLeadBytes));
    // A lead byte at the very end has no trail byte; the search stops without reading on.
    EXPECT_EQ(2u, FindLastBackslash("C:\\ab\x95", ShiftJisLike));
}

}  // namespace
