#include "info/HomepageUrl.h"

const char kHomepageHost[] = "tidemark.example";

std::string BuildHomepageUrl(const std::string& productName, const std::string& version)
{
    return std::string("http://") + kHomepageHost + "/software/download/index.php?Software=" +
           productName + "&CurrentVersion=" + version;
}
