// tidemark-send: sends messages to Tidemark receivers, one line per connection.

#include <cstdio>

#include "send/Console.h"
#include "send/FanOut.h"
#include "send/HostLookup.h"
#include "send/HostsFile.h"
#include "send/MessageLines.h"
#include "send/MessageSender.h"
#include "send/Reporter.h"
#include "send/SendOptions.h"
#include "send/SocketCalls.h"
#include "TidemarkVersion.h"

int main(int argc, char** argv)
{
    const ParsedCommandLine parsed =
        ParseCommandLine(Utf8Arguments(argc, argv), ProcessEnvironment());
    if (parsed.error != ExitCode::Delivered) {
        std::fprintf(stderr, "tidemark-send: %s\nTry \"tidemark-send --help\".\n",
                     parsed.errorText.c_str());
        return static_cast<int>(parsed.error);
    }
    SendOptions options = parsed.options;
    if (options.help) {
        std::fputs(HelpText(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("tidemark-send %s\n", TIDEMARK_VERSION_TEXT);
        return 0;
    }

    if (!options.hostsFile.empty()) {
        const std::string problem = ReadHostsFile(options.hostsFile, options.hosts);
        if (!problem.empty() || options.hosts.empty()) {
            std::fprintf(stderr, "tidemark-send: %s\n",
                         problem.empty() ? "no host given: the hosts file names none"
                                         : problem.c_str());
            return static_cast<int>(ExitCode::Usage);
        }
    }

    SocketLibrary sockets;
    if (!sockets.Started()) {
        std::fputs("tidemark-send: the sockets library cannot be started\n", stderr);
        return static_cast<int>(ExitCode::Failed);
    }
    Reporter reporter;
    std::vector<std::unique_ptr<Desk>> desks = OpenDesks(options, reporter);
    if (desks.empty()) return static_cast<int>(reporter.Status());

    FanOut fanOut(std::move(desks), options.parallel);
    MessageSender sender(options, reporter, fanOut);
    if (options.messageGiven) {
        for (const std::string& line : SplitIntoLines(options.message)) sender.Send(line);
    } else {
        ReadStandardInputAsBytes();
        LineSource input(stdin);
        std::string line;
        bool cut = false;
        while (input.Next(line, cut)) sender.Send(line, cut);
    }
    fanOut.Finish();
    return static_cast<int>(reporter.Status());
}
