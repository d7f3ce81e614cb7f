// Arbitrary sender bytes through the line reader. The first two input bytes steer the
// connection: bit 0 of the first makes the end of the bytes a receive error instead of a
// close, its other bits (when not 0) the number of recv calls after which the run flag is
// cleared; the second (when not 0) is the size of the segments in which the bytes arrive.
// Beyond "no crash": at most 8096 bytes are stored, without a line-end byte, exactly as sent up
// to where reading stopped, and nothing is read after the line end, the 8096th byte or a stop.
#include "net/LineReader.h"
#include "tests/host/support/FailingSocketApi.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Only recv is used by the line reader; everything else fails.
class BytesSocketApi : public FailingSocketApi {
public:
    BytesSocketApi(const std::string& bytes, bool endWithError, std::size_t stopAfter, std::size_t segment,
                   std::atomic<bool>& run)
        : m_bytes(bytes), m_endWithError(endWithError), m_stopAfter(stopAfter), m_segment(segment), m_run(run)
    {
    }

    std::size_t calls = 0;
    std::size_t taken = 0;

    int recv(SocketHandle, char* buffer, int length, int flags) override
    {
        if (length < 1 || length > kMaxLineLength || (flags != 0 && flags != kMsgPeek) || !m_run) {
            std::abort();  // never more than a line may hold, and never once the run flag is cleared
        }
        if (++calls == m_stopAfter) {
            m_run = false;
        }
        // A recv that finds nothing waiting lets the next segment arrive.
        if (m_arrived == taken) {
            m_arrived = m_segment == 0 ? m_bytes.size() : std::min(m_bytes.size(), m_arrived + m_segment);
        }
        const std::size_t count = std::min(m_arrived - taken, static_cast<std::size_t>(length));
        if (count == 0) {
            return m_endWithError ? kSocketError : 0;
        }
        std::memcpy(buffer, m_bytes.data() + taken, count);
        taken += flags == 0 ? count : 0;
        return static_cast<int>(count);
    }

    int WSAGetLastError() override { return 10054; }

private:
    const std::string& m_bytes;
    bool m_endWithError;
    std::size_t m_stopAfter;
    std::size_t m_segment;
    std::size_t m_arrived = 0;
    std::atomic<bool>& m_run;
};

bool IsLineEnd(char byte)
{
    return byte == '\r' || byte == '\n' || byte == '\0';
}

void Check(bool holds)
{
    if (!holds) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) {
        return 0;
    }
    const bool endWithError = (data[0] & 1) != 0;
    const std::size_t stopAfter = data[0] >> 1;
    const std::string sent(reinterpret_cast<const char*>(data) + 2, size - 2);

    std::atomic<bool> run{true};
    BytesSocketApi sockets(sent, endWithError, stopAfter, data[1], run);
    std::string line;
    const LineReadEnd end = ReadLine(sockets, 1, run, line);

    Check(line.size() <= static_cast<std::size_t>(kMaxLineLength));
    Check(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
    Check(sent.compare(0, line.size(), line) == 0);

    switch (end) {
    case LineReadEnd::LineEnd:
        Check(sockets.taken == line.size() + 1 && IsLineEnd(sent[line.size()]));
        break;
    case LineReadEnd::Full:
        Check(line.size() == static_cast<std::size_t>(kMaxLineLength) && sockets.taken == line.size());
        break;
    case LineReadEnd::SenderClosed:
        Check(!endWithError && sockets.taken == sent.size() && line.size() == sent.size());
        break;
    case LineReadEnd::ReceiveError:
        Check(endWithError && sockets.taken == sent.size() && line.size() == sent.size());
        break;
    case LineReadEnd::Stopped:
        Check(!run && stopAfter != 0 && sockets.calls == stopAfter && sockets.taken == line.size());
        break;
    case LineReadEnd::Waiting:  // only a read with a time limit waits
        Check(false);
        break;
    }
    return 0;
}
