// Prints how long DecodeHtmlEntities takes per line for a few typical and extreme lines.
//   build/bench/decode_bench [repetitions]
#include "text/HtmlEntities.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Repeated(const std::string& piece, std::size_t length)
{
    std::string text;
    while (text.size() + piece.size() <= length)
        text += piece;
    return text;
}

void Measure(const char* name, const std::string& line, long repetitions)
{
    std::size_t checksum = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < repetitions; ++i) {
        std::string text = line;
        DecodeHtmlEntities(text);
        checksum += text.size();
    }
    const std::chrono::duration<double, std::nano> elapsed =
        std::chrono::steady_clock::now() - start;
    std::printf("%-34s %6zu bytes  %10.1f ns/line  (checksum %zu)\n", name, line.size(),
                elapsed.count() / static_cast<double>(repetitions), checksum);
}

}  // namespace

int main(int argc, char** argv)
{
    const long repetitions = argc > 1 ? std::atol(argv[1]) : 20000;
    if (repetitions <= 0)
        return 1;

    Measure("short line without references", "Build 4711 finished on host tide-03", repetitions);
    Measure("short line with umlauts", "Gr&uuml;&szlig;e aus M&uuml;nchen &amp; K&ouml;ln",
            repetitions);
    Measure("8096 bytes without references", std::string(8096, 'x'), repetitions / 10);
    Measure("8096 bytes of ampersands", std::string(8096, '&'), repetitions / 10);
    Measure("8096 bytes of &auml;", Repeated("&auml;", 8096), repetitions / 10);
    Measure("8096 bytes of &amp;quot;", Repeated("&amp;quot;", 8096), repetitions / 10);
    return 0;
}
