#include "send/MessageLines.h"

#include "net/LineProtocol.h"

namespace {

// A UTF-8 character is at most 4 bytes and none is sent as fewer than one byte, so this
// much of a line always encodes to more than the receiver keeps.
constexpr std::size_t kLongestKeptLine = 4 * kMaxLineLength + 8;

void DropLineEndCr(std::string& line)
{
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

// Drops the last UTF-8 sequence, which the cut may have left incomplete.
void CutAtCharacterBoundary(std::string& line)
{
    std::size_t end = line.size();
    while (end > 0 && (static_cast<unsigned char>(line[end - 1]) & 0xC0) == 0x80) --end;
    if (end > 0 && static_cast<unsigned char>(line[end - 1]) >= 0xC0) line.resize(end - 1);
}

}  // namespace

std::vector<std::string> SplitIntoLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        const std::size_t length = end == std::string::npos ? std::string::npos : end - start;
        lines.push_back(text.substr(start, length));
        DropLineEndCr(lines.back());
        if (end == std::string::npos || end + 1 == text.size()) break;
        start = end + 1;
    }
    return lines;
}

bool LineSource::Next(std::string& line, bool& cut)
{
    line.clear();
    cut = false;
    int c = std::fgetc(m_stream);
    if (c == EOF) return false;
    for (; c != EOF && c != '\n'; c = std::fgetc(m_stream)) {
        if (line.size() < kLongestKeptLine) {
            line += static_cast<char>(c);
        } else {
            cut = true;
        }
    }
    if (cut) CutAtCharacterBoundary(line);
    DropLineEndCr(line);
    if (m_first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    m_first = false;
    return true;
}
