#include "send/HostsFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "send/Console.h"
#include "send/HostWords.h"

std::string ReadHostsFile(std::FILE* file, std::vector<std::string>& hosts)
{
    std::string line;
    int number = 0;
    for (int c = std::fgetc(file);; c = std::fgetc(file)) {
        if (c != '\n' && c != EOF) {
            line += static_cast<char>(c);
            continue;
        }
        ++number;
        line.erase(std::min(line.find('#'), line.size()));
        const std::size_t start = line.find_first_not_of(" \t\r");
        std::string bad;
        if (start != std::string::npos &&
            !AddHosts(line.substr(start, line.find_last_not_of(" \t\r") + 1 - start), hosts, bad)) {
            return "line " + std::to_string(number) + ": \"" + bad + "\" is not a host name";
        }
        line.clear();
        if (c == EOF) return std::ferror(file) ? std::strerror(errno) : "";
    }
}

std::string ReadHostsFile(const std::string& path, std::vector<std::string>& hosts)
{
    if (path == "-") return ReadHostsFile(stdin, hosts);
    std::FILE* file = OpenForReading(path);
    if (file == nullptr) return "cannot read the hosts file \"" + path + "\": " + std::strerror(errno);
    std::string problem = ReadHostsFile(file, hosts);
    std::fclose(file);
    return problem.empty() ? problem : "hosts file \"" + path + "\": " + problem;
}
