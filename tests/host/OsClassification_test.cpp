#include "info/OsClassification.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Row {
    std::uint32_t platform, major, minor;
    std::uint8_t productType;
    std::uint16_t architecture;
    std::int32_t code;
    const char* name;
};

void ExpectRows(const Row* rows, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const Row& r = rows[i];
        const OsClassification os =
            ClassifyOs(r.platform, r.major, r.minor, r.productType, r.architecture);
        EXPECT_EQ(r.code, os.code) << "platform " << r.platform << " version " << r.major
                                   << "." << r.minor << " type " << int(r.productType)
                                   << " arch " << r.architecture;
        EXPECT_EQ(std::string(r.name), os.name) << "platform " << r.platform << " version "
                                                << r.major << "." << r.minor;
    }
}

TEST(OsClassification, EveryRowOfTheTable)
{
    const Row rows[] = {
        {0, 3, 1, 0, 0, 0, "none"},        // Win32s
        {1, 4, 0, 0, 0, 1, "95"},
        {1, 4, 10, 0, 0, 2, "98"},
        {1, 4, 90, 0, 0, 3, "ME"},
        {2, 6, 0, 1, 0, 9, "Vista"},
        {2, 6, 0, 3, 9, 10, "Longhorn"},   // server
        {2, 6, 0, 2, 0, 10, "Longhorn"},   // domain controller
        {2, 5, 2, 1, 9, 8, "XP64"},
        {2, 5, 2, 1, 0, 6, "2003"},        // workstation on a 32-bit processor
        {2, 5, 2, 3, 9, 6, "2003"},        // server on AMD64
        {2, 5, 1, 1, 0, 7, "XP"},
        {2, 5, 1, 3, 9, 7, "XP"},
        {2, 5, 0, 1, 0, 5, "2000"},
        {2, 4, 0, 1, 0, 4, "NT"},
        {2, 3, 51, 0, 0, 4, "NT"},
        {2, 0, 0, 0, 0, 4, "NT"},
    };
    ExpectRows(rows, sizeof rows / sizeof rows[0]);
}

TEST(OsClassification, CombinationsOutsideTheTableAreNone)
{
    const Row rows[] = {
        {1, 4, 1, 0, 0, 0, "none"},
        {1, 5, 0, 0, 0, 0, "none"},
        {1, 3, 0, 0, 0, 0, "none"},
        {2, 6, 1, 1, 9, 0, "none"},
        {2, 6, 2, 1, 9, 0, "none"},
        {2, 5, 3, 1, 9, 0, "none"},
        {2, 7, 0, 1, 9, 0, "none"},
        {2, 10, 0, 1, 9, 0, "none"},
        {3, 5, 1, 1, 0, 0, "none"},
        {0, 5, 1, 1, 0, 0, "none"},
    };
    ExpectRows(rows, sizeof rows / sizeof rows[0]);
}

}  // namespace
