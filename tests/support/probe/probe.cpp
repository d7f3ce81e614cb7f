// probe: looks at and drives a running Tidemark from outside, for the end-to-end tests.
// Runs under Wine next to the program (same prefix, same display). One command per run:
//
//   probe find [--timeout-ms N]     wait for the main window, print its handle
//   probe wait-gone [--timeout-ms N]  wait until the main window has gone
//   probe instances                 the handles of every main window, shown or hidden
//   probe lines                     the message list, top line first, as hex of its
//                                   Windows-1252 bytes
//   probe count                     the number of lines in the message list
//   probe live-events MS            for MS, each live-region change of the program: when
//                                   (ms after "ready"), the item, the list's top line,
//                                   whether the window is shown and the foreground
//   probe state                     key=value lines about the window and its controls
//   probe click ID                  BN_CLICKED from button ID, as a mouse click sends it
//   probe key VK [--to ID]          a key press and release in the focused control
//   probe post MSG WPARAM LPARAM    post a message to the window
//   probe send MSG WPARAM LPARAM    send it and print the result (--window ffff: post or
//                                   send to every top-level window)
//   probe quit                      post WM_QUIT to the window's thread
//   probe hold-focus MS             a window of the probe's own takes the foreground and
//                                   the keyboard focus and prints "ready"; after MS it
//                                   prints whether it still has both
//   probe select INDEX              choose a line of the message list, as a click does
//   probe msgbox [--timeout-ms N]   wait for a message box, print caption, text, owner
//   probe msgbox-close [--timeout-ms N]  press its OK (or Cancel) button
//   probe findwin TITLE [--timeout-ms N]  handles of the visible top-level windows
//                                   with that title
//   probe move X Y WIDTH HEIGHT     move and size the window, as a drag would
//   probe sizing EDGE L T R B       a border drag to that rectangle (WM_SIZING): print the
//                                   rectangle the window agreed to
//   probe tray                      1 when the window has its notification-area icon, else 0
//   probe tray-drop                 remove that icon, as a rebuilt shell forgets it
//   probe record FILE ARG...        append each ARG to FILE as a line (as a URL handler)
//
// --window HANDLE makes state, lines, count, click, key, post, send and select act on
// another window (for example the about box found with findwin). Numbers are decimal,
// 0x-hexadecimal, or names such as WM_CLOSE, WM_USER, SC_MINIMIZE, IDOK, VK_ESCAPE;
// registered:NAME is the message registered under NAME.
// Texts are printed as lower-case hex of their Windows-1252 bytes.
// Exit codes: 0 success, 2 window not found, 1 any other failure.

#include "ProbeCommands.h"
#include "ProbeNames.h"
#include "ProbeWindows.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using probe::Arguments;

struct Command {
    const char* name;
    int (*run)(const Arguments&);
};

const Command kCommands[] = {
    {"find", probe::Find},
    {"wait-gone", probe::WaitGone},
    {"instances", probe::Instances},
    {"lines", probe::Lines},
    {"count", probe::Count},
    {"live-events", probe::LiveEvents},
    {"state", probe::State},
    {"click", probe::Click},
    {"key", probe::Key},
    {"post", probe::Post},
    {"send", probe::Send},
    {"quit", probe::Quit},
    {"hold-focus", probe::HoldFocus},
    {"select", probe::Select},
    {"msgbox", probe::MessageBoxInfo},
    {"msgbox-close", probe::MessageBoxClose},
    {"findwin", probe::FindWindowByTitle},
    {"move", probe::Move},
    {"sizing", probe::Sizing},
    {"tray", probe::TrayIcon},
    {"tray-drop", probe::TrayDrop},
    {"record", probe::Record},
};

int Usage() {
    std::fprintf(stderr, "usage: probe COMMAND [ARGS] [--timeout-ms N] [--window HANDLE] [--to ID]\n"
                         "commands:");
    for (const Command& command : kCommands) std::fprintf(stderr, " %s", command.name);
    std::fprintf(stderr, "\n");
    return probe::kExitFailure;
}

bool ParseArguments(int argc, char** argv, Arguments* args) {
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.compare(0, 2, "--") != 0) {
            args->positional.push_back(arg);
            continue;
        }
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        long long number = 0;
        if (arg == "--timeout-ms") {
            if (!probe::ParseNumber(value, &number) || number < 0) return false;
            args->timeoutMs = static_cast<unsigned long>(number);
        } else if (arg == "--window") {
            args->window = probe::ParseHandle(value);
            if (args->window == nullptr) return false;
        } else if (arg == "--to") {
            if (!probe::ParseNumber(value, &number)) return false;
            args->hasControl = true;
            args->control = static_cast<int>(number);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Plain "\n" line ends and untouched bytes, whatever reads the output.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 2) return Usage();
    Arguments args;
    if (!ParseArguments(argc, argv, &args)) return Usage();
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) == 0) {
            const int code = command.run(args);
            std::fflush(stdout);
            return code;
        }
    }
    return Usage();
}
