// The probe's commands. Each prints its results to stdout, one item per line, and returns
// the process exit code.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace probe {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitNotFound = 2;

struct Arguments {
    std::vector<std::string> positional;
    unsigned long timeoutMs = 10000;  // --timeout-ms
    HWND window = nullptr;            // --window: act on this window, not the main window
    bool hasControl = false;          // --to: the control that receives a key
    int control = 0;
};

int Find(const Arguments& args);
int Instances(const Arguments& args);
int WaitGone(const Arguments& args);
int Lines(const Arguments& args);
int Count(const Arguments& args);
int LiveEvents(const Arguments& args);
int State(const Arguments& args);
int Click(const Arguments& args);
int Key(const Arguments& args);
int Post(const Arguments& args);
int Send(const Arguments& args);
int Quit(const Arguments& args);
int HoldFocus(const Arguments& args);
int Select(const Arguments& args);
int MessageBoxInfo(const Arguments& args);
int MessageBoxClose(const Arguments& args);
int FindWindowByTitle(const Arguments& args);
int Move(const Arguments& args);
int Sizing(const Arguments& args);
int TrayIcon(const Arguments& args);
int TrayDrop(const Arguments& args);
int Record(const Arguments& args);

}  // namespace probe
