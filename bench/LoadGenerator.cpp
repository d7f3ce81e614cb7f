// loadgen: the senders of the reception benchmark and soak, on loopback port 26112 only.
// Every run is bounded in count and in time. Results are printed as key=value lines.
//
//   loadgen sequential COUNT SIZE SECONDS   one sender after another, each with a line of
//                                           SIZE bytes (a LF follows below 8096); waits for
//                                           the receiver's close; rate and latency
//   loadgen burst BURSTS SENDERS PATIENCE   bursts of simultaneous senders, each giving up
//                                           after PATIENCE seconds; the tags of the served
//                                           and of those that gave up
//   loadgen reset TEXT                      sends TEXT, then resets the connection
//   loadgen long BYTES                      BYTES without a line end; time until closed
//   loadgen binary COUNT SEED               random binary lines, printed as hex
//   loadgen silent WAITING HOLD             a silent sender, then WAITING senders queued
//                                           behind it; the silent one leaves after HOLD s

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "net/LineProtocol.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kLineLimit = kMaxLineLength;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void SetTimeout(int fd, int option, double seconds)
{
    timeval value{};
    value.tv_sec = static_cast<time_t>(seconds);
    value.tv_usec = static_cast<suseconds_t>((seconds - static_cast<double>(value.tv_sec)) * 1e6);
    setsockopt(fd, SOL_SOCKET, option, &value, sizeof value);
}

// A connected socket to the receiver, or -1. `patience` bounds the connect (0: none).
int Connect(double patience)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        return -1;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (patience > 0) {
        SetTimeout(fd, SO_SNDTIMEO, patience);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kTidemarkPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const std::string& bytes)
{
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// Waits until the receiver closes the connection. A receiver never sends a byte: any byte
// counts as a failure, and so does running out of patience (0: wait for ever).
bool AwaitClose(int fd, double patience)
{
    if (patience > 0) {
        SetTimeout(fd, SO_RCVTIMEO, patience);
    }
    char byte = 0;
    const ssize_t n = recv(fd, &byte, 1, 0);
    return n == 0 || (n < 0 && errno == ECONNRESET);
}

// One whole sender: connect, send, wait for the close. False when anything failed.
bool SendLine(const std::string& line, double patience = 0)
{
    const auto start = Clock::now();
    const int fd = Connect(patience);
    if (fd < 0) {
        return false;
    }
    const double left = patience > 0 ? std::max(0.001, patience - SecondsSince(start)) : 0;
    const bool served = SendAll(fd, line) && AwaitClose(fd, left);
    close(fd);
    return served;
}

std::string LineOfSize(std::size_t size, const std::string& tag)
{
    std::string line = tag.substr(0, size);
    line.resize(size, 'x');
    return size < kLineLimit ? line + "\n" : line;
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

int Sequential(std::size_t count, std::size_t size, double seconds)
{
    std::vector<double> latencies;
    std::size_t failed = 0;
    const auto start = Clock::now();
    for (std::size_t i = 0; i < count && SecondsSince(start) < seconds; ++i) {
        const auto begin = Clock::now();
        if (!SendLine(LineOfSize(size, "seq" + std::to_string(i) + " "), seconds)) {
            ++failed;
        }
        latencies.push_back(SecondsSince(begin) * 1000.0);
    }
    const double elapsed = SecondsSince(start);
    std::printf("sent=%zu\nfailed=%zu\nseconds=%.3f\nrate=%.1f\np50_ms=%.2f\np99_ms=%.2f\n", latencies.size(), failed,
                elapsed, static_cast<double>(latencies.size() - failed) / elapsed, Percentile(latencies, 0.5),
                Percentile(latencies, 0.99));
    return 0;
}

int Burst(int bursts, int senders, double patience)
{
    for (int b = 0; b < bursts; ++b) {
        std::mutex mutex;
        std::condition_variable go;
        bool started = false;
        std::vector<std::thread> threads;
        std::vector<char> served(static_cast<std::size_t>(senders), 0);
        for (int s = 0; s < senders; ++s) {
            threads.emplace_back([&, s] {
                {
                    std::unique_lock<std::mutex> lock(mutex);
                    go.wait(lock, [&] { return started; });
                }
                const std::string tag = "burst" + std::to_string(b) + "-" + std::to_string(s);
                served[static_cast<std::size_t>(s)] = SendLine(tag + "\n", patience) ? 1 : 0;
            });
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            started = true;
        }
        go.notify_all();
        for (std::thread& thread : threads) {
            thread.join();
        }
        for (int s = 0; s < senders; ++s) {
            std::printf("%s=burst%d-%d\n", served[static_cast<std::size_t>(s)] ? "served" : "gaveup", b, s);
        }
        std::fflush(stdout);
    }
    return 0;
}

int Reset(const std::string& text)
{
    const int fd = Connect(10);
    if (fd < 0 || !SendAll(fd, text)) {
        std::printf("reset=failed\n");
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the text arrives first
    const linger abortive{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    close(fd);
    std::printf("reset=sent\n");
    return 0;
}

// Sends without a line end until the receiver closes; the close shows as a failing send or
// as the end of the connection once everything has been sent.
int Long(std::size_t bytes)
{
    const int fd = Connect(10);
    if (fd < 0) {
        std::printf("closed=no\n");
        return 1;
    }
    const auto start = Clock::now();
    const std::string chunk(64 * 1024, 'L');
    std::size_t sent = 0;
    while (sent < bytes) {
        const ssize_t n = send(fd, chunk.data(), std::min(chunk.size(), bytes - sent), MSG_NOSIGNAL);
        if (n <= 0) {
            break;
        }
        sent += static_cast<std::size_t>(n);
    }
    const bool closed = sent < bytes || AwaitClose(fd, 30);
    std::printf("closed=%s\nsent_bytes=%zu\nclosed_after_ms=%.1f\n", closed ? "yes" : "no", sent,
                SecondsSince(start) * 1000.0);
    close(fd);
    return 0;
}

// Every byte value except the line ends, the tab (shown as a blank) and '&' (the start of
// a character reference), so that each line must be shown exactly as sent.
int Binary(int count, unsigned seed)
{
    std::mt19937 random(seed);
    for (int i = 0; i < count; ++i) {
        std::string line(1 + random() % 200, 'x');
        for (char& byte : line) {
            do {
                byte = static_cast<char>(random() % 256);
            } while (byte == '\0' || byte == '\r' || byte == '\n' || byte == '\t' || byte == '&');
        }
        std::printf("%s=", SendLine(line + "\n", 30) ? "served" : "failed");
        for (unsigned char byte : line) {
            std::printf("%02x", byte);
        }
        std::printf("\n");
    }
    return 0;
}

int Silent(int waiting, double hold)
{
    const int silent = Connect(10);
    std::vector<std::thread> threads;
    std::vector<double> servedAfter(static_cast<std::size_t>(waiting), -1);
    const auto start = Clock::now();
    for (int w = 0; w < waiting; ++w) {
        threads.emplace_back([&, w] {
            if (SendLine("waiting" + std::to_string(w) + "\n", 120)) {
                servedAfter[static_cast<std::size_t>(w)] = SecondsSince(start);
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(hold));
    std::printf("silent=%s\nsilent_left_after_s=%.2f\n", silent >= 0 ? "connected" : "failed", SecondsSince(start));
    if (silent >= 0) {
        close(silent);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int w = 0; w < waiting; ++w) {
        std::printf("waiting%d_served_after_s=%.2f\n", w, servedAfter[static_cast<std::size_t>(w)]);
    }
    return 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: loadgen sequential COUNT SIZE SECONDS | burst BURSTS SENDERS PATIENCE | "
                         "reset TEXT | long BYTES | binary COUNT SEED | silent WAITING HOLD\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const auto number = [&](int i) { return argc > i ? std::strtod(argv[i], nullptr) : 0.0; };
    if (mode == "sequential" && argc == 5) {
        return Sequential(static_cast<std::size_t>(number(2)), static_cast<std::size_t>(number(3)), number(4));
    }
    if (mode == "burst" && argc == 5) {
        return Burst(static_cast<int>(number(2)), static_cast<int>(number(3)), number(4));
    }
    if (mode == "reset" && argc == 3) {
        return Reset(argv[2]);
    }
    if (mode == "long" && argc == 3) {
        return Long(static_cast<std::size_t>(number(2)));
    }
    if (mode == "binary" && argc == 4) {
        return Binary(static_cast<int>(number(2)), static_cast<unsigned>(number(3)));
    }
    if (mode == "silent" && argc == 4) {
        return Silent(static_cast<int>(number(2)), number(3));
    }
    return Usage();
}
