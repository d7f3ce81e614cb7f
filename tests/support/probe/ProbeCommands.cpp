#include "ProbeCommands.h"

#include "ProbeNames.h"
#include "ProbeText.h"
#include "ProbeWindows.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#ifndef EVENT_OBJECT_LIVEREGIONCHANGED
#define EVENT_OBJECT_LIVEREGIONCHANGED 0x8019
#endif

namespace probe {

namespace {

// How long a message to the program may take before the probe gives up on it; the
// program's user-interface thread answers at once unless it hangs.
constexpr UINT kSendTimeoutMs = 5000;

void PrintLine(const std::string& line) { std::printf("%s\n", line.c_str()); }

void PrintValue(const char* key, const std::string& value) {
    std::printf("%s=%s\n", key, value.c_str());
}

int Fail(const char* reason) {
    std::fprintf(stderr, "probe: %s\n", reason);
    return kExitFailure;
}

int NotFound(const char* what) {
    std::fprintf(stderr, "probe: %s not found\n", what);
    return kExitNotFound;
}

// The window a command acts on: the one given with --window (ffff: every top-level
// window), else the main window.
HWND TargetWindow(const Arguments& args) {
    if (args.window == HWND_BROADCAST) return HWND_BROADCAST;
    if (args.window != nullptr) return IsWindow(args.window) ? args.window : nullptr;
    return FindMainWindow();
}

// Sends a message to another process's window without waiting forever for the answer.
bool SendW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &answer))
        return false;
    *result = static_cast<LRESULT>(answer);
    return true;
}

// Room for the longest line the program shows (a message of 8,096 bytes and its sender)
// many times over. Across processes LB_GETTEXT copies the whole line into the buffer,
// whatever its size, and the program can make a line longer between LB_GETTEXTLEN and
// LB_GETTEXT (a status line it extends while starting, say): a buffer sized from the
// length alone would overflow the probe's heap.
constexpr size_t kLineBufferChars = 1 << 16;

enum class LineRead { Whole, Changed, Failed };

// One line, whole. A line the program changes while it is read comes back with zeros
// where its newer characters should be (list lines never hold a zero): then it changed.
LineRead ReadListLine(HWND list, LRESULT index, std::wstring& text) {
    LRESULT length = 0;
    if (!SendW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0, &length) || length < 0)
        return LineRead::Failed;
    text.assign(std::max(kLineBufferChars, static_cast<size_t>(length) * 2 + 1), L'\0');
    LRESULT copied = 0;
    if (!SendW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]),
               &copied) || copied < 0 || static_cast<size_t>(copied) >= text.size())
        return LineRead::Failed;
    text.resize(static_cast<size_t>(copied));
    return text.find(L'\0') == std::wstring::npos ? LineRead::Whole : LineRead::Changed;
}

// The list as it stood at one moment: read again while the program changes it meanwhile.
bool ReadListLines(HWND list, std::vector<std::string>* lines) {
    std::wstring text;
    for (int attempt = 0; attempt < 20; ++attempt) {
        LRESULT count = 0, countAfter = 0;
        if (!SendW(list, LB_GETCOUNT, 0, 0, &count) || count < 0) return false;
        lines->clear();
        LineRead read = LineRead::Whole;
        for (LRESULT index = 0; index < count && read == LineRead::Whole; ++index) {
            read = ReadListLine(list, index, text);
            // The wide messages keep umlauts intact across processes; the text is
            // converted to the program's code page here.
            lines->push_back(ToWindows1252(text));
        }
        if (read == LineRead::Failed) return false;
        if (read == LineRead::Whole && SendW(list, LB_GETCOUNT, 0, 0, &countAfter) &&
            countAfter == count)
            return true;
        Sleep(50);
    }
    return false;
}

bool ParseArgument(const Arguments& args, size_t index, long long* value) {
    return index < args.positional.size() && ParseNumber(args.positional[index], value);
}

bool ParseArguments(const Arguments& args, long long* values, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (!ParseArgument(args, i, &values[i])) return false;
    return true;
}

void PrintKeyFlags(HWND window) {
    const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    PrintValue("visible", IsWindowVisible(window) ? "1" : "0");
    PrintValue("topmost", (exStyle & WS_EX_TOPMOST) ? "1" : "0");
    PrintValue("iconic", IsIconic(window) ? "1" : "0");
    PrintValue("enabled", IsWindowEnabled(window) ? "1" : "0");
    PrintValue("foreground", GetForegroundWindow() == window ? "1" : "0");
}

// The focused window of the thread that owns `window`, or null.
HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void PrintControls(HWND window) {
    for (HWND child : ChildWindows(window)) {
        const int id = static_cast<int>(GetWindowLongPtrA(child, GWLP_ID));
        RECT rect = {};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        std::printf("control=%d,%s,%d,%ld,%ld,%ld,%ld\n", id, ClassName(child).c_str(),
                    IsWindowVisible(child) ? 1 : 0, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top);
        std::printf("cstyle=%d,0x%08lx,0x%08lx,%d\n", id,
                    static_cast<unsigned long>(GetWindowLongPtrA(child, GWL_STYLE)),
                    static_cast<unsigned long>(GetWindowLongPtrA(child, GWL_EXSTYLE)),
                    IsWindowEnabled(child) ? 1 : 0);
        std::printf("text=%d,%s\n", id, Hex(WindowText(child)).c_str());
    }
}

}  // namespace

int Find(const Arguments& args) {
    HWND window = nullptr;
    if (!WaitUntil(args.timeoutMs, [&] { return (window = FindMainWindow()) != nullptr; }))
        return NotFound("main window");
    PrintLine(FormatHandle(window));
    return kExitOk;
}

int Instances(const Arguments&) {
    for (HWND window : FindMainWindows()) PrintLine(FormatHandle(window));
    return kExitOk;
}

int WaitGone(const Arguments& args) {
    if (!WaitUntil(args.timeoutMs, [] { return FindMainWindow() == nullptr; }))
        return Fail("main window still there");
    return kExitOk;
}

int Lines(const Arguments& args) {
    const HWND window = TargetWindow(args);
    if (window == nullptr) return NotFound("main window");
    const HWND list = ChildById(window, kMessageListId);
    std::vector<std::string> lines;
    if (list == nullptr || !ReadListLines(list, &lines)) return Fail("cannot read the list");
    for (const std::string& line : lines) PrintLine(Hex(line));
    return kExitOk;
}

// Out-of-context hook: called in the probe's thread, while the program carries on.
DWORD gHookStart = 0;
void CALLBACK OnLiveRegionChange(HWINEVENTHOOK, DWORD, HWND list, LONG, LONG item, DWORD, DWORD) {
    const HWND window = GetAncestor(list, GA_ROOT);
    std::wstring top;
    const bool read = ReadListLine(list, 0, top) == LineRead::Whole;
    std::printf("live ms=%lu item=%ld top=%s visible=%d foreground=%d\n", GetTickCount() - gHookStart,
                static_cast<long>(item), read ? Hex(ToWindows1252(top)).c_str() : "-",
                IsWindowVisible(window) ? 1 : 0, GetForegroundWindow() == window ? 1 : 0);
    std::fflush(stdout);
}

int LiveEvents(const Arguments& args) {
    const HWND window = TargetWindow(args);
    if (window == nullptr || args.positional.size() != 1) return Fail("usage: live-events MS");
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
                        OnLiveRegionChange, process, 0, WINEVENT_OUTOFCONTEXT);
    LRESULT ignored = 0;
    // Wine passes events on only once the program's thread has had a message since.
    if (hook == nullptr || !SendW(window, WM_NULL, 0, 0, &ignored)) return Fail("cannot hook");
    gHookStart = GetTickCount();
    std::printf("ready\n");
    std::fflush(stdout);
    PumpMessagesFor(std::strtoul(args.positional[0].c_str(), nullptr, 10));
    UnhookWinEvent(hook);
    return kExitOk;
}

int Count(const Arguments& args) {
    const HWND window = TargetWindow(args);
    if (window == nullptr) return NotFound("main window");
    const HWND list = ChildById(window, kMessageListId);
    LRESULT count = 0;
    if (list == nullptr || !SendW(list, LB_GETCOUNT, 0, 0, &count) || count < 0)
        return Fail("cannot read the list");
    std::printf("%ld\n", static_cast<long>(count));
    return kExitOk;
}

int State(const Arguments& args) {
    const HWND window = TargetWindow(args);
    if (window == nullptr) return NotFound("main window");
    RECT rect = {};
    RECT client = {};
    GetWindowRect(window, &rect);
    GetClientRect(window, &client);
    PrintValue("window", FormatHandle(window));
    PrintKeyFlags(window);
    std::printf("rect=%ld,%ld,%ld,%ld\n", rect.left, rect.top, rect.right, rect.bottom);
    std::printf("client=%ld,%ld\n", client.right - client.left, client.bottom - client.top);
    std::printf("style=0x%08lx\n", static_cast<unsigned long>(GetWindowLongPtrA(window, GWL_STYLE)));
    std::printf("exstyle=0x%08lx\n",
                static_cast<unsigned long>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
    PrintValue("title", Hex(WindowText(window)));
    const HWND focus = FocusOf(window);
    std::printf("focus=%d\n", focus != nullptr && IsChild(window, focus)
                                  ? static_cast<int>(GetWindowLongPtrA(focus, GWLP_ID))
                                  : 0);
    PrintControls(window);
    return kExitOk;
}

int Click(const Arguments& args) {
    long long id = 0;
    if (!ParseArgument(args, 0, &id)) return Fail("usage: click ID");
    const HWND window = TargetWindow(args);
    if (window == nullptr) return NotFound("window");
    const HWND button = ChildById(window, static_cast<int>(id));
    if (button == nullptr) return Fail("no such button");
    if (!IsWindowEnabled(button)) return Fail("the button is disabled");
    // The notification a button sends its parent when released, posted so that a handler
    // that opens a modal box does not hold the probe.
    if (!PostMessageA(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                      reinterpret_cast<LPARAM>(button)))
        return Fail("PostMessage failed");
    return kExitOk;
}

int Key(const Arguments& args) {
    long long key = 0;
    if (!ParseArgument(args, 0, &key)) return Fail("usage: key VK [--to ID]");
    const HWND window = TargetWindow(args);
    if (window == nullptr) return NotFound("window");
    // The key goes where a keyboard would send it: the focused control of the window,
    // else its message list, else the window itself. Posting (not sending) puts it into
    // the program's message queue, so its message loop and pre-translation see it.
    HWND target = nullptr;
    if (args.hasControl) {
        target = ChildById(window, args.control);
        if (target == nullptr) return Fail("no such control");
    } else {
        const HWND focus = FocusOf(window);
        if (focus != nullptr && (focus == window || IsChild(window, focus))) target = focus;
        if (target == nullptr) target = ChildById(window, kMessageListId);
        if (target == nullptr) target = window;
    }
    const UINT scanCode = MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | (static_cast<LPARAM>(scanCode) << 16);
    const LPARAM up = down | (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
    if (!PostMessageA(target, WM_KEYDOWN, static_cast<WPARAM>(key), down) ||
        !PostMessageA(target, WM_KEYUP, static_cast<WPARAM>(key), up))
        return Fail("PostMessage failed");
    std::printf("target=%d\n", static_cast<int>(GetWindowLongPtrA(target, GWLP_ID)));
    return kExitOk;
}

int Post(const Arguments& args) {
    long long v[3] = {};
    if (!ParseArguments(args, v, 3)) return Fail("usage: post MSG WPARAM LPARAM");
    const long long message = v[0], wParam = v[1], lParam = v[2];
    const HWND window = TargetWindow(args);
    if (window == nullptr) return NotFound("window");
    if (!PostMessageA(window, static_cast<UINT>(message), static_cast<WPARAM>(wParam),
                      static_cast<LPARAM>(lParam)))
        return Fail("PostMessage failed");
    return kExitOk;
}

int Send(const Arguments& args) {
    long long v[3] = {};
    if (!ParseArguments(args, v, 3)) return Fail("usage: send MSG WPARAM LPARAM");
    const long long message = v[0], wParam = v[1], lParam = v[2];
    const HWND window = TargetWindow(args);
    if (window == nullptr) return NotFound("window");
    // The handler may run a modal loop (the about box); --timeout-ms bounds the wait.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, static_cast<UINT>(message), static_cast<WPARAM>(wParam),
                             static_cast<LPARAM>(lParam), SMTO_NORMAL,
                             static_cast<UINT>(args.timeoutMs), &result))
        return Fail("SendMessage failed or timed out");
    std::printf("%lld\n", static_cast<long long>(static_cast<LRESULT>(result)));
    return kExitOk;
}

int Quit(const Arguments& args) {
    const HWND window = TargetWindow(args);
    if (window == nullptr) return NotFound("window");
    if (!PostThreadMessageA(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 0, 0))
        return Fail("PostThreadMessage failed");
    return kExitOk;
}

int Select(const Arguments& args) {
    long long index = 0;
    if (!ParseArgument(args, 0, &index) || index < 0) return Fail("usage: select INDEX");
    const HWND window = TargetWindow(args);
    if (window == nullptr) return NotFound("main window");
    const HWND list = ChildById(window, kMessageListId);
    LRESULT count = 0;
    if (list == nullptr || !SendW(list, LB_GETCOUNT, 0, 0, &count)) return Fail("cannot read the list");
    if (index >= count) return Fail("no such line");
    LRESULT selected = 0;
    if (!SendW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0, &selected) || selected == LB_ERR)
        return Fail("cannot select the line");
    // LB_SETCURSEL notifies nobody; a click on the line would also send LBN_SELCHANGE.
    if (!PostMessageA(window, WM_COMMAND, MAKEWPARAM(kMessageListId, LBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(list)))
        return Fail("PostMessage failed");
    return kExitOk;
}

// Pixels of a rectangle of the screen, or of an icon drawn on a plain background.
std::vector<COLORREF> CapturePixels(HDC source, int x, int y, int width, int height,
                                    HICON icon, COLORREF background) {
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    if (icon == nullptr) {
        BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    } else {
        const RECT all{0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        DrawIconEx(memory, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
    }
    std::vector<COLORREF> pixels;
    pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            pixels.push_back(GetPixel(memory, column, row));
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// Which system icon the screen shows at an icon static, or "" when no system icon matches.
// Icon handles cannot be compared across processes under Wine, so the static's pixels on
// screen are compared with each system icon drawn here on the same background.
std::string SystemIconOnScreen(HWND iconStatic) {
    RECT rect;
    GetWindowRect(iconStatic, &rect);
    const int width = GetSystemMetrics(SM_CXICON);
    const int height = GetSystemMetrics(SM_CYICON);
    HDC screen = GetDC(nullptr);
    const std::vector<COLORREF> shown =
        CapturePixels(screen, rect.left, rect.top, width, height, nullptr, 0);
    struct NamedIcon {
        LPCSTR id;
        const char* name;
    };
    const NamedIcon icons[] = {{IDI_EXCLAMATION, "exclamation"},
                               {IDI_ASTERISK, "information"},
                               {IDI_HAND, "error"},
                               {IDI_QUESTION, "question"}};
    std::string best;
    size_t bestMatches = 0;
    for (const NamedIcon& icon : icons) {
        const std::vector<COLORREF> drawn = CapturePixels(
            screen, 0, 0, width, height, LoadIconA(nullptr, icon.id), shown.front());
        size_t matches = 0;
        for (size_t i = 0; i < shown.size(); ++i) matches += shown[i] == drawn[i];
        if (matches > bestMatches) {
            bestMatches = matches;
            best = icon.name;
        }
    }
    ReleaseDC(nullptr, screen);
    // Anything short of a near-perfect match is some other picture.
    return bestMatches * 100 >= shown.size() * 95 ? best : std::string();
}

// Which system icon a message box shows. A box is found as soon as it is visible, which
// may be before it has painted, so the screen is read again for a while before the
// picture counts as some other one.
std::string MessageBoxIconName(HWND box) {
    HWND iconStatic = nullptr;
    for (HWND child : ChildWindows(box)) {
        if (ClassName(child) == "Static" &&
            (GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            iconStatic = child;
            break;
        }
    }
    if (iconStatic == nullptr || !IsWindowVisible(iconStatic)) return "none";
    std::string name;
    WaitUntil(5000, [&] { return !(name = SystemIconOnScreen(iconStatic)).empty(); });
    return name.empty() ? "other" : name;
}

int MessageBoxInfo(const Arguments& args) {
    HWND box = nullptr;
    if (!WaitUntil(args.timeoutMs, [&] { return (box = FindMessageBox()) != nullptr; }))
        return NotFound("message box");
    const HWND owner = GetWindow(box, GW_OWNER);
    PrintValue("window", FormatHandle(box));
    PrintValue("caption", Hex(WindowText(box)));
    PrintValue("text", Hex(WindowText(ChildById(box, kMessageBoxTextId))));
    PrintValue("owner", FormatHandle(owner));
    PrintValue("owner_is_main", owner != nullptr && owner == FindMainWindow() ? "1" : "0");
    std::string buttons;
    for (HWND child : ChildWindows(box)) {
        if (ClassName(child) != "Button" || !IsWindowVisible(child)) continue;
        if (!buttons.empty()) buttons += ',';
        buttons += std::to_string(static_cast<int>(GetWindowLongPtrA(child, GWLP_ID)));
    }
    PrintValue("buttons", buttons);
    PrintValue("icon", MessageBoxIconName(box));
    return kExitOk;
}

int MessageBoxClose(const Arguments& args) {
    HWND box = nullptr;
    if (!WaitUntil(args.timeoutMs, [&] { return (box = FindMessageBox()) != nullptr; }))
        return NotFound("message box");
    for (int id : {IDOK, IDCANCEL}) {
        const HWND button = ChildById(box, id);
        if (button == nullptr || !IsWindowVisible(button)) continue;
        if (!PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                          reinterpret_cast<LPARAM>(button)))
            return Fail("PostMessage failed");
        PrintLine(std::to_string(id));
        return kExitOk;
    }
    return Fail("the message box has neither OK nor Cancel");
}

int FindWindowByTitle(const Arguments& args) {
    if (args.positional.size() != 1) return Fail("usage: findwin TITLE");
    std::vector<HWND> windows;
    if (!WaitUntil(args.timeoutMs, [&] {
            windows = FindWindowsByTitle(args.positional[0]);
            return !windows.empty();
        }))
        return NotFound("window");
    for (HWND window : windows) PrintLine(FormatHandle(window));
    return kExitOk;
}

int Move(const Arguments& args) {
    long long v[4] = {};
    if (!ParseArguments(args, v, 4)) return Fail("usage: move X Y WIDTH HEIGHT");
    const HWND window = TargetWindow(args);
    if (window == nullptr) return NotFound("window");
    if (!MoveWindow(window, static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]),
                    static_cast<int>(v[3]), TRUE))
        return Fail("MoveWindow failed");
    return kExitOk;
}

int Sizing(const Arguments& args) {
    long long v[5] = {};
    if (!ParseArguments(args, v, 5)) return Fail("usage: sizing EDGE L T R B");
    const HWND window = TargetWindow(args);
    if (window == nullptr) return NotFound("window");
    // The system carries the rectangle across processes and back for this message.
    RECT rect{static_cast<LONG>(v[1]), static_cast<LONG>(v[2]), static_cast<LONG>(v[3]),
              static_cast<LONG>(v[4])};
    LRESULT result = 0;
    if (!SendW(window, WM_SIZING, static_cast<WPARAM>(v[0]), reinterpret_cast<LPARAM>(&rect),
               &result))
        return Fail("SendMessage failed");
    std::printf("%ld,%ld,%ld,%ld\n", rect.left, rect.top, rect.right, rect.bottom);
    return kExitOk;
}

namespace {

// The main window's notification-area icon, as the shell knows it by window and id.
NOTIFYICONDATAA TrayIconOf(HWND window) {
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = kTrayIconId;
    return icon;
}

}  // namespace

int TrayIcon(const Arguments& args) {
    const HWND window = TargetWindow(args);
    if (window == nullptr) return NotFound("window");
    // Changing nothing of an icon succeeds only while the shell has that icon.
    NOTIFYICONDATAA icon = TrayIconOf(window);
    PrintLine(Shell_NotifyIconA(NIM_MODIFY, &icon) ? "1" : "0");
    return kExitOk;
}

// The icon goes as it does when the shell is rebuilt and forgets every icon.
int TrayDrop(const Arguments& args) {
    const HWND window = TargetWindow(args);
    if (window == nullptr) return NotFound("window");
    NOTIFYICONDATAA icon = TrayIconOf(window);
    if (!Shell_NotifyIconA(NIM_DELETE, &icon)) return Fail("the window has no icon to drop");
    return kExitOk;
}

int Record(const Arguments& args) {
    FILE* file =
        args.positional.size() < 2 ? nullptr : std::fopen(args.positional[0].c_str(), "ab");
    if (file == nullptr) return Fail("usage: record FILE ARG... (FILE open for appending)");
    for (size_t i = 1; i < args.positional.size(); ++i)
        std::fprintf(file, "%s\n", args.positional[i].c_str());
    std::fclose(file);
    return kExitOk;
}

}  // namespace probe
