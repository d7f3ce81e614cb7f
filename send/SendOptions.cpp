#include "send/SendOptions.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <utility>

#include "send/HostWords.h"

namespace {

constexpr long kMaxTimeoutSeconds = 86400;
constexpr long kMaxSpoolLines = 1000000;
constexpr long kMaxParallel = 100000;

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

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// A port from -p or from TIDEMARK_PORT (`source`, for the message: empty for -p).
std::string ReadPort(const std::string& text, const std::string& source, std::uint16_t& port,
                     ExitCode& code)
{
    long number = 0;
    if (!ParseNumber(text, 1, 65535, number)) {
        code = ExitCode::BadPort;
        return "bad port " + Quoted(text) + source + ": give a number from 1 to 65535";
    }
    port = static_cast<std::uint16_t>(number);
    return "";
}

// Long options without a short name have ids above the characters.
enum LongOnly : int { kTruncate = 256, kSpool, kParallel, kHostsFile };

constexpr char kShortOptions[] = "-:H:m:p:t:w:hV";  // words in order; ':' for a missing value

const option kLongOptions[] = {
    {"host", required_argument, nullptr, 'H'},     {"message", required_argument, nullptr, 'm'},
    {"port", required_argument, nullptr, 'p'},     {"timeout", required_argument, nullptr, 't'},
    {"wait", required_argument, nullptr, 'w'},     {"truncate", no_argument, nullptr, kTruncate},
    {"spool", optional_argument, nullptr, kSpool}, {"parallel", required_argument, nullptr, kParallel},
    {"hosts-file", required_argument, nullptr, kHostsFile},
    {"help", no_argument, nullptr, 'h'},           {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// One option as getopt_long found it.
struct OptionUse {
    int id = 0;
    bool hasValue = false;
    std::string value;
};

// The option's name as the user wrote it, for a message about it: "-x", "--bogus".
std::string WrittenName(const char* argument, int id)
{
    const std::string text = argument;
    if (text.compare(0, 2, "--") == 0) return text.substr(0, text.find('='));
    return std::string("-") + static_cast<char>(id);
}

// What getopt_long refused, in the words of the guide. `argument` is the last one it read.
std::string Refusal(int result, const char* argument)
{
    const std::string written = WrittenName(argument, optopt);
    // A value given to a long option that takes none: glibc says '?', MinGW ':'.
    const bool valueGiven = written.size() < std::strlen(argument) && written[1] == '-';
    if (optopt != 0 && valueGiven) return "option " + written + " takes no value";
    if (result == ':') return "option " + written + " needs a value";
    return "unknown option " + Quoted(written) + "; to send text that begins with \"-\", put -- "
           "before it";
}

std::string Joined(const std::vector<std::string>& words, std::size_t from)
{
    std::string text;
    for (std::size_t i = from; i < words.size(); ++i) {
        if (i > from) text += ' ';
        text += words[i];
    }
    return text;
}

// A message whose first word looks like one more host most likely is one: "h1 h2 'disk
// full'" would otherwise show "h2 disk full" on h1 alone. An address or a comma list is
// always a host; a plain name is taken for one when a quoted phrase follows it.
bool LooksLikeAnotherHost(const std::vector<std::string>& words)
{
    if (words.empty()) return false;
    if (IsIpv4Address(words[0]) || IsHostList(words[0])) return true;
    if (!IsNameWithLetter(words[0])) return false;
    return std::any_of(words.begin() + 1, words.end(), [](const std::string& word) {
        return word.find_first_of(" \t") != std::string::npos;
    });
}

struct Gathered {
    std::vector<std::string> words;  // every argument that is not an option
    std::size_t wordsBeforeEndOfOptions = static_cast<std::size_t>(-1);  // where "--" stood
    std::vector<std::string> hostOptions;
    bool messageOption = false;
    std::size_t wordsBeforeMessage = 0;
    bool portGiven = false;
    bool spoolWithoutSize = false;  // a number among the hosts may be meant as its size
};

std::string Apply(const OptionUse& use, Gathered& gathered, SendOptions& options, ExitCode& code)
{
    long number = 0;
    switch (use.id) {
    case 'H':
        gathered.hostOptions.push_back(use.value);
        break;
    case 'm':
        if (gathered.messageOption) return "only one -m MESSAGE may be given";
        gathered.messageOption = true;
        gathered.wordsBeforeMessage = gathered.words.size();
        options.message = use.value;
        break;
    case 'p':
        gathered.portGiven = true;
        return ReadPort(use.value, "", options.port, code);
    case 't':
        if (!ParseNumber(use.value, 1, kMaxTimeoutSeconds, number)) {
            return "bad time-out " + Quoted(use.value) + ": give whole seconds from 1 to 86400";
        }
        options.timeoutSeconds = static_cast<int>(number);
        break;
    case 'w':
        if (!ParseNumber(use.value, 0, kMaxTimeoutSeconds, number)) {
            return "bad wait " + Quoted(use.value) + ": give whole seconds from 0 to 86400";
        }
        options.waitSeconds = static_cast<int>(number);
        break;
    case kSpool:
        gathered.spoolWithoutSize = !use.hasValue;
        number = static_cast<long>(kDefaultSpoolLines);
        if (use.hasValue && !ParseNumber(use.value, 1, kMaxSpoolLines, number)) {
            return "bad spool size " + Quoted(use.value) + ": give a number of lines from 1 "
                   "to 1000000";
        }
        options.spoolLines = static_cast<std::size_t>(number);
        break;
    case kHostsFile:
        options.hostsFile = use.value;
        break;
    case kParallel:
        if (!ParseNumber(use.value, 1, kMaxParallel, number)) {
            return "bad parallel count " + Quoted(use.value) + ": give a number of "
                   "connections from 1 to 100000";
        }
        options.parallel = static_cast<std::size_t>(number);
        break;
    case 'h':
        options.help = true;
        break;
    case 'V':
        options.version = true;
        break;
    default:  // kTruncate
        options.truncate = true;
        break;
    }
    return "";
}

std::string NumberInsteadOfHost(const std::string& number, bool spoolWithoutSize)
{
    return Quoted(number) + " is a number, not a host name" +
           (spoolWithoutSize ? "; a spool size goes after \"=\": --spool=" + number : std::string());
}

// Adds the hosts of one word, or says why a part of it is none.
std::string AddHostsOfWord(const std::string& word, bool spoolWithoutSize,
                           std::vector<std::string>& hosts)
{
    std::string bad;
    if (AddHosts(word, hosts, bad)) return "";
    if (IsNumber(bad)) return NumberInsteadOfHost(bad, spoolWithoutSize);
    return Quoted(bad) + " is not a host name; a message goes after the host, or after -m when "
                         "several hosts are given";
}

// Sorts the arguments into options (applied at once) and words, keeping their order.
std::string Gather(const std::vector<std::string>& arguments, Gathered& gathered,
                   SendOptions& options, ExitCode& code)
{
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv{const_cast<char*>("tidemark-send")};
    for (std::string& argument : copies) argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    const int argc = static_cast<int>(argv.size() - 1);
    opterr = 0;
    optind = 0;  // starts afresh, on glibc and on MinGW alike
    for (;;) {
        const int before = optind == 0 ? 1 : optind;
        const int result = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr);
        if (result == -1) {
            if (optind == before + 1 && std::string(argv[before]) == "--") {
                gathered.wordsBeforeEndOfOptions = gathered.words.size();
                gathered.words.insert(gathered.words.end(), argv.begin() + optind, argv.end() - 1);
            }
            return "";
        }
        if (result == 1) {
            gathered.words.push_back(optarg);
            continue;
        }
        if (result == '?' || result == ':') return Refusal(result, argv[optind - 1]);
        OptionUse use{result, optarg != nullptr, optarg != nullptr ? optarg : ""};
        const std::string problem = Apply(use, gathered, options, code);
        if (!problem.empty() || options.help || options.version) return problem;
    }
}

// With -m every word is a host.
std::string TakeMessageOption(const Gathered& gathered, std::vector<std::string>& hostWords,
                              SendOptions& options)
{
    const std::vector<std::string>& words = gathered.words;
    if (words.size() > gathered.wordsBeforeMessage) {
        return Quoted(words[gathered.wordsBeforeMessage]) +
               " follows the message of -m; quote a message of several words (-m 'disk "
               "full'), and name the hosts before -m";
    }
    hostWords.insert(hostWords.end(), words.begin(), words.end());
    options.messageGiven = options.message != "-";
    if (!options.messageGiven) options.message.clear();
    return "";
}

// Without -m the first word is the host, unless -H named the hosts; the rest is the message.
std::string TakeMessageWords(const Gathered& gathered, std::vector<std::string>& hostWords,
                             SendOptions& options)
{
    const std::vector<std::string>& words = gathered.words;
    std::size_t firstMessageWord = 0;
    if (hostWords.empty() && options.hostsFile.empty() && !words.empty() && words[0] != "-") {
        if (IsNumber(words[0])) return NumberInsteadOfHost(words[0], gathered.spoolWithoutSize);
        hostWords.push_back(words[0]);
        firstMessageWord = 1;
    }
    const std::vector<std::string> message(words.begin() + static_cast<long>(firstMessageWord),
                                           words.end());
    // "--" between the hosts and the message vouches for the message as it stands.
    if (gathered.wordsBeforeEndOfOptions != firstMessageWord) {
        if (message.size() == 1 && message[0] == "-") return "";  // standard input
        if (std::find(message.begin(), message.end(), "-") != message.end()) {
            return "\"-\" (standard input) stands alone in place of the message; put -- "
                   "before a message meant so";
        }
        if (LooksLikeAnotherHost(message)) {
            return Quoted(message[0]) + " looks like one more host, not the start of the "
                   "message: name several hosts before -m (tidemark-send " +
                   (hostWords.empty() ? std::string("HOST") : hostWords[0]) + " " +
                   message[0] + " -m '" + Joined(message, 1) +
                   "'), or put -- before text meant this way";
        }
    }
    options.messageGiven = !message.empty();
    options.message = Joined(message, 0);
    return "";
}

// The hosts, from the command line or else from TIDEMARK_HOST; the port from
// TIDEMARK_PORT unless -p gave one.
std::string TakeHostsAndPort(const std::vector<std::string>& hostWords, const Gathered& gathered,
                             const SenderEnvironment& environment, SendOptions& options,
                             ExitCode& code)
{
    const bool portGiven = gathered.portGiven;
    const bool spoolWithoutSize = gathered.spoolWithoutSize;
    std::vector<std::string> words = hostWords;
    const bool hostsFile = !options.hostsFile.empty();
    if (hostsFile && options.hostsFile == "-" && !options.messageGiven) {
        return "with --hosts-file - the hosts come from standard input: give the message with "
               "-m or as arguments";
    }
    if (words.empty() && !hostsFile && environment.host != nullptr && *environment.host != '\0') {
        words.push_back(environment.host);
    }
    if (words.empty() && !hostsFile) {
        return "no host given: name one, give -H HOST or --hosts-file FILE, or set TIDEMARK_HOST";
    }
    for (const std::string& word : words) {
        const std::string problem = AddHostsOfWord(word, spoolWithoutSize, options.hosts);
        if (!problem.empty()) return problem;
    }
    if (!portGiven && environment.port != nullptr && *environment.port != '\0') {
        return ReadPort(environment.port, " in TIDEMARK_PORT", options.port, code);
    }
    return "";
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments,
                                   const SenderEnvironment& environment)
{
    ParsedCommandLine result;
    SendOptions& options = result.options;
    Gathered gathered;
    ExitCode code = ExitCode::Usage;
    std::string problem = Gather(arguments, gathered, options, code);
    if (!problem.empty()) return Failure(code, problem);
    if (options.help || options.version) return result;

    std::vector<std::string> hostWords = gathered.hostOptions;
    problem = gathered.messageOption ? TakeMessageOption(gathered, hostWords, options)
                                     : TakeMessageWords(gathered, hostWords, options);
    if (problem.empty()) {
        problem = TakeHostsAndPort(hostWords, gathered, environment, options, code);
    }
    if (!problem.empty()) return Failure(code, problem);
    return result;
}

SenderEnvironment ProcessEnvironment()
{
    return SenderEnvironment{std::getenv("TIDEMARK_HOST"), std::getenv("TIDEMARK_PORT")};
}
