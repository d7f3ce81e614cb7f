#include "info/HomepageUrl.h"

#include <gtest/gtest.h>

TEST(HomepageUrl, ProductAndVersionGoInAsTheyAre)
{
    const std::string page = std::string("http://") + kHomepageHost + "/software/download/index.php";
    EXPECT_EQ(page + "?Software=Tide & M\xE4rk&CurrentVersion=1.2", BuildHomepageUrl("Tide & M\xE4rk", "1.2"));
}
