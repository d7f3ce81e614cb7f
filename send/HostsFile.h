#pragma once

#include <cstdio>
#include <string>
#include <vector>

// A list of desks as administrators keep it: a host (or a comma list) a line, blank lines
// and "#" comments ignored. Adds each host once, after those already there; returns what is
// wrong with the list, or nothing.
std::string ReadHostsFile(std::FILE* file, std::vector<std::string>& hosts);

// The same for a file named on the command line ("-": standard input).
std::string ReadHostsFile(const std::string& path, std::vector<std::string>& hosts);
