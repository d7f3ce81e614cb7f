#include <windows.h>

#include <gtest/gtest.h>

// Every text the program shows and decodes is Windows-1252.
TEST(CodePage, TheAnsiCodePageIsWindows1252)
{
    EXPECT_EQ(1252u, ::GetACP());
}
