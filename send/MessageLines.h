#pragma once

#include <cstdio>
#include <string>
#include <vector>

// One message per line: a line ends with LF, and a CR right before the LF belongs to the
// line end (text written on Windows).
std::vector<std::string> SplitIntoLines(const std::string& text);

// Reads the lines of a stream one at a time, so that each can be sent as it arrives. A line
// far longer than the receiver could keep is cut (at a character boundary) instead of being
// held whole in memory; a UTF-8 byte-order mark at the very start is skipped.
class LineSource {
public:
    explicit LineSource(std::FILE* stream) : m_stream(stream) {}
    // False at the end of the stream. `cut` tells whether the line was shortened.
    bool Next(std::string& line, bool& cut);

private:
    std::FILE* m_stream;
    bool m_first = true;
};
