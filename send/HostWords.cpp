#include "send/HostWords.h"

#include <algorithm>
#include <cstddef>

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsIpv4Address(const std::string& word)
{
    int parts = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(word.find('.', start), word.size());
        const std::size_t length = end - start;
        if (length == 0 || length > 3) return false;
        for (std::size_t i = start; i < end; ++i) {
            if (!IsDigit(word[i])) return false;
        }
        if (std::stoi(word.substr(start, length)) > 255) return false;
        ++parts;
        if (end == word.size()) break;
        start = end + 1;
    }
    return parts == 4;
}

bool IsNumber(const std::string& word)
{
    return !word.empty() && std::all_of(word.begin(), word.end(), IsDigit);
}

bool IsHostName(const std::string& word)
{
    if (word.empty() || word.size() > 253 || word[0] == '-' || word[0] == '.') return false;
    if (IsNumber(word)) return false;
    return std::all_of(word.begin(), word.end(), [](char c) {
        return IsLetter(c) || IsDigit(c) || c == '.' || c == '-' || c == '_';
    });
}

bool IsNameWithLetter(const std::string& word)
{
    return IsHostName(word) && std::any_of(word.begin(), word.end(), IsLetter);
}

bool IsHostList(const std::string& word)
{
    if (word.find(',') == std::string::npos) return false;
    const std::vector<std::string> parts = SplitHostList(word);
    return std::all_of(parts.begin(), parts.end(), IsHostName);
}

std::vector<std::string> SplitHostList(const std::string& word)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = word.find(',', start);
        parts.push_back(word.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos) return parts;
        start = comma + 1;
    }
}

bool AddHosts(const std::string& word, std::vector<std::string>& hosts, std::string& bad)
{
    for (const std::string& host : SplitHostList(word)) {
        if (!IsHostName(host)) {
            bad = host;
            return false;
        }
        if (std::find(hosts.begin(), hosts.end(), host) == hosts.end()) hosts.push_back(host);
    }
    return true;
}
