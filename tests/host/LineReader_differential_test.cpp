// The line reader against the one-byte-per-recv reader it replaced, over the same byte
// streams cut into many segmentations: the same end, line and bytes taken.

#include "net/LineReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "support/FailingSocketApi.h"

namespace {

// The reference: the reader as it was, one byte per recv (never stopped here).
LineReadEnd ReadLineByteByByte(SocketApi& sockets, std::string& line)
{
    for (int count = 0; count < kMaxLineLength; ++count) {
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
// closes, or the connection fails. Optionally the n-th plain recv fails, or plain recvs
// hand over fewer bytes than a peek showed.
struct Connection : FailingSocketApi {
    std::string stream;
    std::vector<std::size_t> cuts;  // where each segment ends
    bool failsAtEnd = false;
    int failingTake = 0, takes = 0;
    std::size_t takeLimit = SIZE_MAX;
    std::size_t arrived = 0, taken = 0, nextCut = 0;

    int recv(SocketHandle, char* buffer, int length, int flags) override
    {
        const bool peek = flags == kMsgPeek;
        if (!peek && ++takes == failingTake) return kSocketError;
        while (arrived == taken && nextCut < cuts.size()) arrived = cuts[nextCut++];
        const std::size_t wanted = std::min(static_cast<std::size_t>(length), peek ? SIZE_MAX : takeLimit);
        const std::size_t count = std::min(arrived - taken, wanted);
        if (count == 0) return failsAtEnd ? kSocketError : 0;
        std::memcpy(buffer, stream.data() + taken, count);
        taken += peek ? 0 : count;
        return static_cast<int>(count);
    }
};

// How reading ended, the line, and the count of bytes taken from the connection.
using Outcome = std::tuple<LineReadEnd, std::string, std::size_t>;

Outcome Read(const std::string& stream, std::set<std::size_t> cuts, bool failsAtEnd, bool byteByByte,
             int failingTake = 0, std::size_t takeLimit = SIZE_MAX)
{
    cuts.insert(stream.size());
    Connection c;
    c.stream = stream;
    c.cuts.assign(cuts.begin(), cuts.end());
    std::tie(c.failsAtEnd, c.failingTake, c.takeLimit) = std::make_tuple(failsAtEnd, failingTake, takeLimit);
    const std::atomic<bool> run{true};
    std::string line;
    const LineReadEnd end = byteByByte ? ReadLineByteByByte(c, line) : ReadLine(c, 1, run, line);
    return {end, line, c.taken};
}

}  // namespace

// Fixed streams around the line ends and the limit, and random ones; each cut into one
// piece, one byte per segment (short streams), around its first line end, and at random.
TEST(LineReaderDifferential, TakesTheSameBytesAndLineAsOneBytePerRecvWhateverTheSegments)
{
    using namespace std::string_literals;
    std::mt19937 random(9);
    const std::string full(kMaxLineLength, 'x');
    std::vector<std::string> streams = {""s, "\n"s, "\r\nx"s, "abc"s, "Hallo\r\nrest"s, "a\0b\n"s, "\0"s,
                                        full, full + "\n", full.substr(1) + "\r\n", full + "yz", "x" + full};
    for (int i = 0; i < 12; ++i) {
        streams.emplace_back(random() % (i < 6 ? 40 : 9000), 'x');
        for (char& byte : streams.back()) {
            byte = random() % 300 == 0 ? "\r\n"[random() % 3] : static_cast<char>(random());
        }
    }
    for (const std::string& stream : streams) {
        std::vector<std::set<std::size_t>> segmentations(3);
        for (std::size_t i = 1; i < stream.size() && stream.size() < 64; ++i) segmentations[1].insert(i);
        const std::size_t lineEnd = stream.find_first_of(std::string("\r\n\0", 3));
        if (lineEnd != std::string::npos) segmentations[2] = {lineEnd, lineEnd + 1};
        for (int i = 0; i < 20 && !stream.empty(); ++i) {
            segmentations.emplace_back();
            for (unsigned n = random() % 12; n > 0; --n) segmentations.back().insert(random() % stream.size());
        }
        for (const std::set<std::size_t>& cuts : segmentations) {
            for (const bool failsAtEnd : {false, true}) {
                const std::string what = std::to_string(stream.size()) + " bytes in " + std::to_string(cuts.size());
                const Outcome reference = Read(stream, cuts, failsAtEnd, true);
                EXPECT_TRUE(Read(stream, cuts, failsAtEnd, false) == reference) << what;
                EXPECT_TRUE(Read(stream, cuts, failsAtEnd, false, 0, 3) == reference) << what << ", short takes";

                // A take that fails after its peek succeeded: the same as a connection
                // that failed once the bytes taken so far had been read.
                const auto [end, line, taken] = Read(stream, cuts, false, false, 2);
                if (end == LineReadEnd::ReceiveError) {
                    EXPECT_TRUE(Read(stream.substr(0, taken), {}, true, true) == Outcome(end, line, taken)) << what;
                }
            }
        }
    }
}
