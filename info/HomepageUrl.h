#pragma once

#include <string>

// The maker's web server: the homepage links show it as their caption and the update
// page lives on it.
extern const char kHomepageHost[];

// The update page's address, telling the page which product and version ask. The values
// go in as they are, without escaping, exactly as the page expects them.
std::string BuildHomepageUrl(const std::string& productName, const std::string& version);
