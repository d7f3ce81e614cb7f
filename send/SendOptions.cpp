#include "send/SendOptions.h"

#include <cstddef>
#include <utility>

namespace {

// A decimal number within [low, high]; no sign, no blanks, no other characters.
bool ParseNumber(const std::string& text, long low, long high, long& value)
{
    if (text.empty() || text.size() > 9) return false;
    long number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    if (number < low || number > high) return false;
    value = number;
    return true;
}

ParsedCommandLine Failure(ExitCode code, std::string text)
{
    ParsedCommandLine result;
    result.error = code;
    result.errorText = std::move(text);
    return result;
}

constexpr long kMaxTimeoutSeconds = 86400;

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    ParsedCommandLine result;
    SendOptions& options = result.options;
    std::size_t i = 0;
    for (; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            ++i;
            break;
        }
        if (argument.size() < 2 || argument[0] != '-') break;
        if (argument == "-h" || argument == "--help") {
            options.help = true;
            return result;
        }
        if (argument == "--version") {
            options.version = true;
            return result;
        }
        if (argument == "--truncate") {
            options.truncate = true;
            continue;
        }
        if (argument != "-p" && argument != "-t" && argument != "-w") {
            return Failure(ExitCode::Usage, "unknown option \"" + argument + "\"");
        }
        if (i + 1 == arguments.size()) {
            return Failure(ExitCode::Usage, "option " + argument + " needs a value");
        }
        const std::string& value = arguments[++i];
        long number = 0;
        if (argument == "-p") {
            if (!ParseNumber(value, 1, 65535, number)) {
                return Failure(ExitCode::BadPort,
                               "bad port \"" + value + "\": give a number from 1 to 65535");
            }
            options.port = static_cast<std::uint16_t>(number);
        } else if (argument == "-w") {
            if (!ParseNumber(value, 0, kMaxTimeoutSeconds, number)) {
                return Failure(ExitCode::Usage, "bad wait \"" + value +
                                                    "\": give whole seconds from 0 to 86400");
            }
            options.waitSeconds = static_cast<int>(number);
        } else {
            if (!ParseNumber(value, 1, kMaxTimeoutSeconds, number)) {
                return Failure(ExitCode::Usage, "bad time-out \"" + value +
                                                    "\": give whole seconds from 1 to 86400");
            }
            options.timeoutSeconds = static_cast<int>(number);
        }
    }
    if (i == arguments.size()) return Failure(ExitCode::Usage, "no host given");
    options.host = arguments[i++];
    for (; i < arguments.size(); ++i) {
        if (options.messageGiven) options.message += ' ';
        options.message += arguments[i];
        options.messageGiven = true;
    }
    return result;
}

const char* HelpText()
{
    return "Usage: tidemark-send [-p PORT] [-t SECONDS] [-w SECONDS] [--truncate]\n"
           "                     HOST [MESSAGE ...]\n"
           "Sends MESSAGE (the words joined by blanks), or else each line of standard input,\n"
           "as a message of its own to the Tidemark receiver on HOST (an IPv4 name or address).\n"
           "\n"
           "Protocol: one TCP connection per message, one line ended by LF, CR or a zero byte;\n"
           "  at most 8096 bytes, Windows-1252, references like &uuml; &szlig; &amp; decoded;\n"
           "  the receiver answers nothing; it closes the connection once it has read the line.\n"
           "\n"
           "Options:\n"
           "  -p PORT     the receiver's TCP port (default 26112)\n"
           "  -t SECONDS  how long to wait for each connection and its close (default 10)\n"
           "  -w SECONDS  how long to keep trying while the connection is refused or not made\n"
           "              in time, as when the receiver is busy or starting (default 30;\n"
           "              0: one try); a connection once made is never tried again\n"
           "  --truncate  send the first 8096 bytes of a longer message instead of refusing it\n"
           "  -h, --help  show this help\n"
           "  --version   show the program's name and version\n"
           "\n"
           "Text is read as UTF-8 and sent as Windows-1252: the German umlauts and sharp s\n"
           "as their references, \"&\" as \"&amp;\", characters outside Windows-1252 as \"?\"\n"
           "(with a warning).\n"
           "Exit status: 0 every message delivered, 1 other failure (such as a connection\n"
           "lost after it was made), 2 usage, 3 bad port, 4 unknown host, 5 connection\n"
           "refused (still after -w SECONDS), 6 time-out, 7 invalid UTF-8, 8 message too long.\n";
}
