#include "app/CommandLine.h"

#include <cctype>
#include <cstddef>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The words of a command line after the program's name, which may be quoted.
std::string::size_type SkipProgramName(const std::string& line)
{
    std::string::size_type i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (i < line.size() && line[i] == '"') {
        const std::string::size_type close = line.find('"', i + 1);
        return close == std::string::npos ? line.size() : close + 1;
    }
    while (i < line.size() && !IsBlank(line[i]))
        ++i;
    return i;
}

bool IsExitSwitch(const std::string& word)
{
    static const char kExit[] = "exit";
    if (word.size() != sizeof kExit || (word[0] != '/' && word[0] != '-'))
        return false;
    for (std::size_t i = 1; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(word[i])) != kExit[i - 1])
            return false;
    return true;
}

}  // namespace

bool AsksToExit(const std::string& commandLine)
{
    std::string word;
    for (std::string::size_type i = SkipProgramName(commandLine); i <= commandLine.size(); ++i) {
        if (i == commandLine.size() || IsBlank(commandLine[i])) {
            if (IsExitSwitch(word))
                return true;
            word.clear();
        } else {
            word += commandLine[i];
        }
    }
    return false;
}
