#include "send/HostsFile.h"
#include "send/MessageLines.h"
#include "send/SendOptions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// What a command line asks for, in one line: the hosts, what differs from the defaults and
// the message; or the exit code and the start of the error text.
std::string Described(const ParsedCommandLine& parsed)
{
    const SendOptions& o = parsed.options;
    if (parsed.error != ExitCode::Delivered) {
        return std::to_string(static_cast<int>(parsed.error)) + ": " + parsed.errorText;
    }
    if (o.help || o.version) return o.help ? "help" : "version";
    std::string text;
    for (const std::string& host : o.hosts) text += (text.empty() ? "" : ",") + host;
    if (o.port != kDefaultPort) text += " port " + std::to_string(o.port);
    if (o.timeoutSeconds != kDefaultTimeoutSeconds) text += " t" + std::to_string(o.timeoutSeconds);
    if (o.waitSeconds != kDefaultWaitSeconds) text += " w" + std::to_string(o.waitSeconds);
    if (o.truncate) text += " truncate";
    if (o.spoolLines > 0) text += " spool " + std::to_string(o.spoolLines);
    if (o.parallel != kDefaultParallel) text += " parallel " + std::to_string(o.parallel);
    if (!o.hostsFile.empty()) text += " hosts from " + o.hostsFile;
    return text + ": " + (o.messageGiven ? o.message : "(standard input)");
}

TEST(SenderInput, CommandLinesMeanWhatTheGuideSaysAndLikelyMistakesAreRefused)
{
    struct Case {
        std::vector<std::string> arguments;
        SenderEnvironment environment;
        std::string expected;  // for a refusal, the start of the text
    };
    const Case cases[] = {
        // One host, then the message; a first word that looks like a host is refused.
        {{"desk", "Backup", "finished"}, {}, "desk: Backup finished"},
        {{"desk", "WARNING:", "disk full"}, {}, "desk: WARNING: disk full"},
        {{"h1", "h2", "disk full"}, {}, "2: \"h2\" looks like one more host, not the start of "
                                        "the message: name several hosts before -m "
                                        "(tidemark-send h1 h2 -m 'disk full')"},
        {{"desk", "10.0.0.2", "down"}, {}, "2: \"10.0.0.2\" looks like one more host"},
        {{"-H", "desk", "h2,h3"}, {}, "2: \"h2,h3\" looks like one more host"},
        {{"desk", "--", "h2", "disk full"}, {}, "desk: h2 disk full"},
        {{"--", "h1", "h2", "disk full"}, {}, "2: \"h2\" looks like"},
        // Several hosts: before -m, with -H, in a comma list; each once.
        {{"h1", "h2", "-m", "disk full", "-p", "80"}, {}, "h1,h2 port 80: disk full"},
        {{"-H", "h1,h2", "--host=h3", "-H", "h1", "disk", "full"}, {}, "h1,h2,h3: disk full"},
        {{"h1,h2", "disk", "full"}, {}, "h1,h2: disk full"},
        {{"h1", "-m", "disk", "full"}, {}, "2: \"full\" follows the message of -m"},
        {{"h1", "-m", "x", "--message=y"}, {}, "2: only one -m"},
        {{"h1,", "x"}, {}, "2: \"\" is not a host name"},
        // Standard input, "-" and "--"; options anywhere before "--".
        {{"desk"}, {}, "desk: (standard input)"},
        {{"desk", "-"}, {}, "desk: (standard input)"},
        {{"desk", "-m", "-"}, {}, "desk: (standard input)"},
        {{"desk", "-", "x"}, {}, "2: \"-\" (standard input) stands alone"},
        {{"desk", "--", "-x", "-"}, {}, "desk: -x -"},
        {{"-t", "3", "--", "host", "-p", "x"}, {}, "host t3: -p x"},
        {{"desk", "-5", "degrees"}, {}, "2: unknown option \"-5\"; to send text that begins "
                                        "with \"-\", put -- before it"},
        // The environment's host and port, and the command line's over them.
        {{"-m", "hi"}, {"e1,e2", "26113"}, "e1,e2 port 26113: hi"},
        {{}, {"e1", nullptr}, "e1: (standard input)"},
        {{"desk", "-p", "80", "x"}, {"e1", "26113"}, "desk port 80: x"},
        {{"disk full"}, {"desk", nullptr}, "2: \"disk full\" is not a host name"},
        {{"desk"}, {nullptr, "0"}, "3: bad port \"0\" in TIDEMARK_PORT"},
        {{"-p", "80"}, {}, "2: no host given"},
        // Long options with a blank or "=", short ones joined to their value.
        {{"--port", "80", "--timeout=3", "--wait", "0", "--truncate", "--spool", "d", "x"}, {},
         "d port 80 t3 w0 truncate spool 10000: x"},
        {{"-p80", "-w5", "--spool=7", "d"}, {}, "d port 80 w5 spool 7: (standard input)"},
        {{"d", "-V"}, {}, "version"},
        {{"d", "--help", "--bogus"}, {}, "help"},
        {{"--truncate=yes", "d"}, {}, "2: option --truncate takes no value"},
        {{"d", "x", "--port"}, {}, "2: option --port needs a value"},
        {{"-p", "0", "d"}, {}, "3: bad port \"0\""},
        {{"--port=80a", "d"}, {}, "3: bad port \"80a\""},
        {{"-w", "86401", "d"}, {}, "2: bad wait"},
        {{"-t", "0", "d"}, {}, "2: bad time-out"},
        {{"--spool=0", "d"}, {}, "2: bad spool size"},
        // A number is never a host: a value that lost its option gets a hint.
        {{"--spool", "100", "desk", "disk full"}, {}, "2: \"100\" is a number, not a host name; "
                                                     "a spool size goes after \"=\": --spool=100"},
        {{"desk", "Disk", "/var is full"}, {}, "2: \"Disk\" looks like one more host"},
        {{"--tim=3", "--par", "8", "d", "--bogus=1"}, {}, "2: unknown option \"--bogus\""},
        {{"--tim=3", "--par", "8", "d", "x"}, {}, "d t3 parallel 8: x"},
        // Hosts from a file: every word is the message; from standard input, only with one.
        {{"--hosts-file", "desks", "disk", "full"}, {"e1", nullptr}, " hosts from desks: disk full"},
        {{"--hosts-file=-", "-m", "hi"}, {}, " hosts from -: hi"},
        {{"--hosts-file", "-"}, {}, "2: with --hosts-file - the hosts come from standard input"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = ParseCommandLine(c.arguments, c.environment);
        std::string described = Described(parsed);
        if (parsed.error != ExitCode::Delivered) described.resize(c.expected.size());
        std::string line;
        for (const std::string& argument : c.arguments) line += " [" + argument + "]";
        EXPECT_EQ(described, c.expected) << line;
    }
}

TEST(SenderInput, AHostsFileGivesEachHostOnceAndNamesABadLine)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fputs("# desks\r\ndesk1\r\n\n  desk2,desk1  # second floor\n\tdesk3", file);
    std::rewind(file);
    std::vector<std::string> hosts{"desk0"};
    EXPECT_EQ(ReadHostsFile(file, hosts), "");
    EXPECT_EQ(hosts, (std::vector<std::string>{"desk0", "desk1", "desk2", "desk3"}));
    std::rewind(file);
    std::fputs("desk4\n26112\n", file);
    std::rewind(file);
    EXPECT_EQ(ReadHostsFile(file, hosts), "line 2: \"26112\" is not a host name");
    std::fclose(file);
}

TEST(SenderInput, InputLinesBecomeTheRightMessages)
{
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
