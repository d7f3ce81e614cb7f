// tidemark-send: sends messages to a Tidemark receiver, one line per connection.

#include <cstdio>

#include "send/Console.h"
#include "send/MessageLines.h"
#include "send/MessageSender.h"
#include "send/SendOptions.h"
#include "send/TcpDelivery.h"
#include "TidemarkVersion.h"

int main(int argc, char** argv)
{
    const ParsedCommandLine parsed = ParseCommandLine(Utf8Arguments(argc, argv));
    if (parsed.error != ExitCode::Delivered) {
        std::fprintf(stderr, "tidemark-send: %s\nTry \"tidemark-send --help\".\n",
                     parsed.errorText.c_str());
        return static_cast<int>(parsed.error);
    }
    const SendOptions& options = parsed.options;
    if (options.help) {
        std::fputs(HelpText(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("tidemark-send %s\n", TIDEMARK_VERSION_TEXT);
        return 0;
    }

    SocketLibrary sockets;
    if (!sockets.Started()) {
        std::fputs("tidemark-send: the sockets library cannot be started\n", stderr);
        return static_cast<int>(ExitCode::Failed);
    }
    Ipv4Endpoint endpoint;
    const DeliveryResult resolved = ResolveIpv4(options.host, options.port, endpoint);
    if (resolved.outcome != DeliveryOutcome::Delivered) {
        std::fprintf(stderr, "tidemark-send: unknown host \"%s\": %s\n", options.host.c_str(),
                     resolved.detail.c_str());
        return static_cast<int>(ExitCode::UnknownHost);
    }

    MessageSender sender(options, endpoint);
    if (options.messageGiven) {
        for (const std::string& line : SplitIntoLines(options.message)) {
            if (!sender.Send(line)) break;
        }
    } else {
        ReadStandardInputAsBytes();
        LineSource input(stdin);
        std::string line;
        bool cut = false;
        while (input.Next(line, cut) && sender.Send(line, cut)) {
        }
    }
    return static_cast<int>(sender.Status());
}
