#include "send/SendOptions.h"

#include <algorithm>
#include <cstdlib>
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

enum class Value { None, Required, Optional };

struct OptionName {
    char id;
    bool hasShortName;  // the id is the short name too
    const char* longName;
    Value value;
};

constexpr OptionName kOptions[] = {
    {'H', true, "host", Value::Required},    {'m', true, "message", Value::Required},
    {'p', true, "port", Value::Required},    {'t', true, "timeout", Value::Required},
    {'w', true, "wait", Value::Required},    {'T', false, "truncate", Value::None},
    {'S', false, "spool", Value::Optional},  {'h', true, "help", Value::None},
    {'P', false, "parallel", Value::Required},
    {'V', true, "version", Value::None},
};

// One option as written: "-p 80", "-p80", "--port 80" or "--port=80".
struct OptionUse {
    const OptionName* name = nullptr;
    std::string written;  // as the user wrote its name, for messages
    bool hasValue = false;
    std::string value;
};

// Reads the option at `arguments[i]`, moving `i` past a value in the next argument.
std::string ReadOption(const std::vector<std::string>& arguments, std::size_t& i, OptionUse& use)
{
    const std::string& argument = arguments[i];
    const bool isLong = argument.compare(0, 2, "--") == 0;
    const std::size_t nameEnd = isLong ? std::min(argument.find('='), argument.size()) : 2;
    use.written = argument.substr(0, nameEnd);
    for (const OptionName& option : kOptions) {
        if (isLong ? use.written.substr(2) == option.longName
                   : option.hasShortName && argument[1] == option.id) {
            use.name = &option;
        }
    }
    if (use.name == nullptr) {
        return "unknown option " + Quoted(use.written) +
               "; to send text that begins with \"-\", put -- before it";
    }
    use.hasValue = nameEnd < argument.size();
    if (use.hasValue) use.value = argument.substr(isLong ? nameEnd + 1 : nameEnd);
    if (use.hasValue && use.name->value == Value::None) {
        return "option " + use.written + " takes no value";
    }
    if (!use.hasValue && use.name->value == Value::Required) {
        if (i + 1 == arguments.size()) return "option " + use.written + " needs a value";
        use.hasValue = true;
        use.value = arguments[++i];
    }
    return "";
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
};

std::string Apply(const OptionUse& use, Gathered& gathered, SendOptions& options, ExitCode& code)
{
    long number = 0;
    switch (use.name->id) {
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
    case 'S':
        number = static_cast<long>(kDefaultSpoolLines);
        if (use.hasValue && !ParseNumber(use.value, 1, kMaxSpoolLines, number)) {
            return "bad spool size " + Quoted(use.value) + ": give a number of lines from 1 "
                   "to 1000000";
        }
        options.spoolLines = static_cast<std::size_t>(number);
        break;
    case 'P':
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
    default:  // 'T'
        options.truncate = true;
        break;
    }
    return "";
}

// Adds the hosts of one word (a comma list names several), each once.
std::string AddHosts(const std::string& word, std::vector<std::string>& hosts)
{
    for (const std::string& host : SplitHostList(word)) {
        if (!IsHostName(host)) {
            return Quoted(host) + " is not a host name; a message goes after the host, or "
                                  "after -m when several hosts are given";
        }
        if (std::find(hosts.begin(), hosts.end(), host) == hosts.end()) hosts.push_back(host);
    }
    return "";
}

// Sorts the arguments into options (applied at once) and words.
std::string Gather(const std::vector<std::string>& arguments, Gathered& gathered,
                   SendOptions& options, ExitCode& code)
{
    constexpr std::size_t kNotSeen = static_cast<std::size_t>(-1);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool endedOptions = gathered.wordsBeforeEndOfOptions != kNotSeen;
        if (!endedOptions && argument == "--") {
            gathered.wordsBeforeEndOfOptions = gathered.words.size();
        } else if (endedOptions || argument.size() < 2 || argument[0] != '-') {
            gathered.words.push_back(argument);
        } else {
            OptionUse use;
            std::string problem = ReadOption(arguments, i, use);
            if (problem.empty()) problem = Apply(use, gathered, options, code);
            if (!problem.empty() || options.help || options.version) return problem;
        }
    }
    return "";
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
    if (hostWords.empty() && !words.empty() && words[0] != "-") {
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
std::string TakeHostsAndPort(const std::vector<std::string>& hostWords, bool portGiven,
                             const SenderEnvironment& environment, SendOptions& options,
                             ExitCode& code)
{
    std::vector<std::string> words = hostWords;
    if (words.empty() && environment.host != nullptr && *environment.host != '\0') {
        words.push_back(environment.host);
    }
    if (words.empty()) return "no host given: name one, give -H HOST, or set TIDEMARK_HOST";
    for (const std::string& word : words) {
        const std::string problem = AddHosts(word, options.hosts);
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
        problem = TakeHostsAndPort(hostWords, gathered.portGiven, environment, options, code);
    }
    if (!problem.empty()) return Failure(code, problem);
    return result;
}

SenderEnvironment ProcessEnvironment()
{
    return SenderEnvironment{std::getenv("TIDEMARK_HOST"), std::getenv("TIDEMARK_PORT")};
}
