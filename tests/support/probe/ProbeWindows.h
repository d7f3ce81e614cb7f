// Finding the program's windows from outside: the main window, its message boxes and
// any top-level window by title.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace probe {

// The control id of the main window's message list; a dialog with this child and the
// title "Tidemark" is the main window (message boxes carry the same title).
constexpr int kMessageListId = 1005;
// The id of the main window's notification-area icon.
constexpr UINT kTrayIconId = 128;

// Message boxes show their text in a static control with this id.
constexpr int kMessageBoxTextId = 0xFFFF;

// Every top-level window, hidden ones included, in z-order.
std::vector<HWND> TopLevelWindows();

// The main window, or null while there is none.
// Every main window of a running Tidemark, shown or hidden.
std::vector<HWND> FindMainWindows();
HWND FindMainWindow();

// A visible message box (a dialog with a text static of id 0xFFFF) other than the main
// window; boxes of the main window's process come first, then those of any other process
// (a second instance refused at start shows its box before it has a window). Null if none.
HWND FindMessageBox();

// Visible top-level windows whose title is exactly `title` (Windows-1252 bytes); a
// dialog that has ended is hidden at once, before it is destroyed.
std::vector<HWND> FindWindowsByTitle(const std::string& title);

// Calls `found` every 50 ms until it returns true or `timeoutMs` has passed; returns the
// last result. `found` is always called at least once.
bool WaitUntil(unsigned long timeoutMs, const std::function<bool()>& found);

// Handles the probe's own windows' messages (and its hooks' calls) for that long.
void PumpMessagesFor(unsigned long ms);

// Direct children of `parent` in z-order, which for a dialog is the template's order.
std::vector<HWND> ChildWindows(HWND parent);

// The child with that control id (the id compared as the full 32-bit value).
HWND ChildById(HWND parent, int id);

// A window handle as printed by the probe ("0x" and hexadecimal digits), and back.
std::string FormatHandle(HWND window);
HWND ParseHandle(const std::string& text);

}  // namespace probe
