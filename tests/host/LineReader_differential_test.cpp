// The line reader against the one-byte-per-recv reader it replaced, over the same byte
// streams cut into many segmentations: the same end, the same line and the same bytes
// taken from the connection.

#include "net/LineReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/FailingSocketApi.h"

namespace {

// The reference: the reader as it was, one byte per recv.
LineReadEnd ReadLineByteByByte(SocketApi& sockets, const std::atomic<bool>& run, std::string& line)
{
    for (int count = 0; count < kMaxLineLength; ++count) {
        if (!run) return LineReadEnd::Stopped;
        char byte = 0;
        const int received = sockets.recv(1, &byte, 1, 0);
        if (received < 0) return LineReadEnd::ReceiveError;
        if (received == 0) return LineReadEnd::SenderClosed;
        if (byte == '\r' || byte == '\n' || byte == '\0') return LineReadEnd::LineEnd;
        line += byte;
    }
    return LineReadEnd::Full;
}

// A connection whose bytes arrive in segments: a recv that finds nothing waiting lets the
// next segment arrive, as a blocking recv waits for it. After the last one the sender
// closes, or the connection fails. Optionally the n-th plain recv fails, and the run flag
// is cleared during the n-th call.
struct Connection : FailingSocketApi {
    std::string stream;
    std::vector<std::size_t> cuts;  // where each segment ends
    bool failsAtEnd = false;
    int failingTake = 0;
    int stopAtCall = 0;
    std::atomic<bool> run{true};
    std::size_t arrived = 0, taken = 0, nextCut = 0;
    int calls = 0, takes = 0;

    int recv(SocketHandle, char* buffer, int length, int flags) override
    {
        EXPECT_TRUE(run) << "a recv after the run flag was cleared";
        const bool peek = (flags & kMsgPeek) != 0;
        if (++calls == stopAtCall) run = false;
        if (!peek && ++takes == failingTake) return kSocketError;
        while (arrived == taken && nextCut < cuts.size()) arrived = cuts[nextCut++];
        const std::size_t count = std::min(arrived - taken, static_cast<std::size_t>(length));
        if (count == 0) return failsAtEnd ? kSocketError : 0;
        std::memcpy(buffer, stream.data() + taken, count);
        taken += peek ? 0 : count;
        return static_cast<int>(count);
    }
    int WSAGetLastError() override { return 10054; }
};

struct Outcome {
    LineReadEnd end;
    std::string line;
    std::size_t taken;
};

Outcome Read(const std::string& stream, const std::set<std::size_t>& cuts, bool failsAtEnd, bool byteByByte,
            int failingTake = 0, int stopAtCall = 0)
{
    Connection c;
    c.stream = stream;
    c.cuts.assign(cuts.begin(), cuts.end());
    c.cuts.push_back(stream.size());
    c.failsAtEnd = failsAtEnd;
    c.failingTake = failingTake;
    c.stopAtCall = stopAtCall;
    std::string line;
    const LineReadEnd end = byteByByte ? ReadLineByteByByte(c, c.run, line) : ReadLine(c, 1, c.run, line);
    return {end, line, c.taken};
}

std::vector<std::string> Streams(std::mt19937& random)
{
    using namespace std::string_literals;
    const std::string full(kMaxLineLength, 'x');
    std::vector<std::string> streams = {""s, "\n"s, "\r\nx"s, "abc"s, "Hallo\r\nrest"s, "a\0b\n"s, "\0"s,
                                        full, full + "\n", full.substr(1) + "\r\n", full + "yz", "x" + full};
    for (int i = 0; i < 12; ++i) {
        std::string bytes(random() % (i < 6 ? 40 : 9000), 'x');
        for (char& byte : bytes) {
            const unsigned roll = random() % 1000;
            byte = roll < 2 ? "\r\n"[roll] : roll < 3 ? '\0' : static_cast<char>(random() % 256);
        }
        streams.push_back(bytes);
    }
    return streams;
}

// Segmentations: one piece, one byte per segment (short streams), the first line end cut
// off on both sides, and random cuts.
std::vector<std::set<std::size_t>> Segmentations(const std::string& stream, std::mt19937& random)
{
    std::vector<std::set<std::size_t>> all = {{}, {}};
    for (std::size_t i = 1; i < stream.size() && stream.size() < 64; ++i) all[1].insert(i);
    const std::size_t lineEnd = stream.find_first_of(std::string("\r\n\0", 3));
    if (lineEnd != std::string::npos) all.push_back({lineEnd, lineEnd + 1});
    for (int i = 0; i < 20 && !stream.empty(); ++i) {
        std::set<std::size_t> cuts;
        for (unsigned n = random() % 12; n > 0; --n) cuts.insert(random() % stream.size());
        all.push_back(cuts);
    }
    return all;
}

void ExpectSame(const Outcome& actual, const Outcome& expected, const std::string& what)
{
    EXPECT_EQ(actual.end, expected.end) << what;
    EXPECT_TRUE(actual.line == expected.line) << what << ": a line of " << actual.line.size() << " bytes";
    EXPECT_EQ(actual.taken, expected.taken) << what;
}

}  // namespace

TEST(LineReaderDifferential, TakesTheSameBytesAndLineAsOneBytePerRecvWhateverTheSegments)
{
    std::mt19937 random(9);
    for (const std::string& stream : Streams(random)) {
        for (const std::set<std::size_t>& cuts : Segmentations(stream, random)) {
            for (const bool failsAtEnd : {false, true}) {
                const std::string what = std::to_string(stream.size()) + " bytes in " +
                                         std::to_string(cuts.size() + 1) + " segments, then " +
                                         (failsAtEnd ? "an error" : "a close");
                const Outcome reference = Read(stream, cuts, failsAtEnd, true);
                ExpectSame(Read(stream, cuts, failsAtEnd, false), reference, what);

                // A take that fails after its peek succeeded: the same as a connection
                // that failed once the bytes taken so far had been read.
                const Outcome failed = Read(stream, cuts, false, false, 2);
                if (failed.end == LineReadEnd::ReceiveError) {
                    ExpectSame(failed, Read(stream.substr(0, failed.taken), {}, true, true), what + ", failing take");
                }

                // A stop seen between calls: nothing more is taken, and what was is the line.
                const Outcome stopped = Read(stream, cuts, failsAtEnd, false, 0, 3);
                if (stopped.end == LineReadEnd::Stopped) {
                    EXPECT_TRUE(stopped.line == stream.substr(0, stopped.taken)) << what << ", stopped";
                    EXPECT_EQ(reference.line.compare(0, stopped.line.size(), stopped.line), 0) << what;
                }
            }
        }
    }
}
