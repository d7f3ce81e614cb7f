#include "send/MessageLines.h"
#include "send/SendOptions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

TEST(SenderInput, CommandLineAndInputLinesBecomeTheRightMessages)
{
    // Everything after the host is message text, even what looks like an option.
    const ParsedCommandLine parsed = ParseCommandLine({"-t", "3", "--", "host", "-p", "x"});
    EXPECT_EQ(parsed.options.message, "-p x");
    EXPECT_EQ(parsed.options.timeoutSeconds, 3);
    for (const char* port : {"0", "65536", "+80", "80a", ""}) {
        EXPECT_EQ(ParseCommandLine({"-p", port, "host"}).error, ExitCode::BadPort) << port;
    }
    EXPECT_EQ(ParseCommandLine({"-p", "80"}).error, ExitCode::Usage);
    EXPECT_EQ(SplitIntoLines("a\r\nb\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitIntoLines(""), std::vector<std::string>{""});

    // A byte-order mark only at the start; a line far too long is cut at a character.
    std::FILE* input = std::tmpfile();
    ASSERT_NE(input, nullptr);
    const std::string text = "\xEF\xBB\xBFone\r\n\xEF\xBB\xBFtwo\n" + std::string(32391, 'x') +
                             "\xC3\xBC\xC3\xBC\nlast";
    std::fputs(text.c_str(), input);
    std::rewind(input);
    LineSource source(input);
    std::string line;
    bool cut = false;
    std::vector<std::string> lines;
    while (source.Next(line, cut)) {
        lines.push_back(cut ? "cut:" + std::to_string(line.size()) : line);
    }
    std::fclose(input);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "\xEF\xBB\xBFtwo", "cut:32391", "last"}));
}

}  // namespace
