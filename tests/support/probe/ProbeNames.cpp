#include "ProbeNames.h"

#include <windows.h>

#include <cerrno>
#include <cstdlib>

namespace probe {

namespace {

struct Name {
    const char* name;
    long long value;
};

const Name kNames[] = {
    // Window messages
    {"WM_CLOSE", WM_CLOSE},
    {"WM_COMMAND", WM_COMMAND},
    {"WM_SYSCOMMAND", WM_SYSCOMMAND},
    {"WM_TIMER", WM_TIMER},
    {"WM_KEYDOWN", WM_KEYDOWN},
    {"WM_KEYUP", WM_KEYUP},
    {"WM_LBUTTONDOWN", WM_LBUTTONDOWN},
    {"WM_LBUTTONUP", WM_LBUTTONUP},
    {"WM_LBUTTONDBLCLK", WM_LBUTTONDBLCLK},
    {"WM_RBUTTONDOWN", WM_RBUTTONDOWN},
    {"WM_RBUTTONUP", WM_RBUTTONUP},
    {"WM_MOUSEMOVE", WM_MOUSEMOVE},
    {"WM_USER", WM_USER},
    {"WM_QUERYENDSESSION", WM_QUERYENDSESSION},
    {"WM_ENDSESSION", WM_ENDSESSION},
    // System commands
    {"SC_MINIMIZE", SC_MINIMIZE},
    {"SC_MAXIMIZE", SC_MAXIMIZE},
    {"SC_RESTORE", SC_RESTORE},
    {"SC_CLOSE", SC_CLOSE},
    {"SC_MOVE", SC_MOVE},
    {"SC_SIZE", SC_SIZE},
    // Dialog commands
    {"IDOK", IDOK},
    {"IDCANCEL", IDCANCEL},
    // Virtual keys
    {"VK_ESCAPE", VK_ESCAPE},
    {"VK_RETURN", VK_RETURN},
    {"VK_TAB", VK_TAB},
    {"VK_SPACE", VK_SPACE},
    {"VK_DELETE", VK_DELETE},
    {"VK_UP", VK_UP},
    {"VK_DOWN", VK_DOWN},
    {"VK_F1", VK_F1},
};

}  // namespace

bool ParseNumber(const std::string& text, long long* value) {
    for (const Name& name : kNames) {
        if (text == name.name) {
            *value = name.value;
            return true;
        }
    }
    if (text.empty()) return false;
    // A message whose number is registered by name, as the shell's "TaskbarCreated".
    static const std::string kRegistered = "registered:";
    if (text.compare(0, kRegistered.size(), kRegistered) == 0) {
        *value = RegisterWindowMessageA(text.c_str() + kRegistered.size());
        return *value != 0;
    }
    char* end = nullptr;
    errno = 0;
    // Unsigned parsing keeps values such as 0xFFFFFFFF intact; a leading minus still works.
    const unsigned long long parsed = std::strtoull(text.c_str(), &end, 0);
    if (*end != '\0' || errno == ERANGE) return false;
    *value = static_cast<long long>(parsed);
    return true;
}

}  // namespace probe
