#pragma once

#include <cstdio>
#include <string>
#include <vector>

// The command-line arguments after the program name, in UTF-8 on every system (Windows
// hands a program's main() its arguments in the ANSI code page, which loses characters).
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Piped or redirected standard input as plain bytes: line ends and end-of-file markers are
// the sender's to interpret, not the C runtime's.
void ReadStandardInputAsBytes();

// Opens a file named in UTF-8 (as the arguments are) for reading bytes.
std::FILE* OpenForReading(const std::string& utf8Path);
