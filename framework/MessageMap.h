#pragma once

#include <cstddef>

#include "framework/Afx.h"

class CWnd;

// A window class's static message table: rows of (message, notification code, control
// id, handler), searched from the most derived class's table to its bases'. A message
// without a row goes to the window's default handling.
using MessageThunk = LRESULT (*)(CWnd& target, WPARAM wParam, LPARAM lParam);

struct MessageEntry {
    UINT message;
    UINT code;  // notification code, for WM_COMMAND rows
    UINT id;    // control id, for WM_COMMAND rows
    MessageThunk handler;
};

struct MessageMap {
    const MessageMap* base;
    const MessageEntry* entries;
    std::size_t count;

    const MessageEntry* Find(UINT message, WPARAM wParam) const;
};

namespace afx {

template <typename Member>
struct MemberClass;
template <typename C, typename R, typename... A>
struct MemberClass<R (C::*)(A...)> {
    using type = C;
};

// Cracks the message parameters into the handler's arguments, by message.
template <UINT Msg, auto Handler>
LRESULT Crack(CWnd& target, WPARAM wParam, LPARAM lParam)
{
    using Window = typename MemberClass<decltype(Handler)>::type;
    Window& self = static_cast<Window&>(target);
    if constexpr (Msg == WM_PAINT || Msg == WM_CLOSE || Msg == WM_DESTROY) {
        (self.*Handler)();
        return 0;
    } else if constexpr (Msg == WM_QUERYDRAGICON) {
        return reinterpret_cast<LRESULT>((self.*Handler)());
    } else if constexpr (Msg == WM_SYSCOMMAND) {
        (self.*Handler)(static_cast<UINT>(wParam), lParam);
        return 0;
    } else if constexpr (Msg == WM_TIMER) {
        (self.*Handler)(static_cast<UINT_PTR>(wParam));
        return 0;
    } else if constexpr (Msg == WM_SIZE) {
        (self.*Handler)(static_cast<UINT>(wParam), static_cast<int>(LOWORD(lParam)),
                        static_cast<int>(HIWORD(lParam)));
        return 0;
    } else if constexpr (Msg == WM_SIZING) {
        (self.*Handler)(static_cast<UINT>(wParam), reinterpret_cast<RECT*>(lParam));
        return TRUE;
    } else if constexpr (Msg == WM_WINDOWPOSCHANGED) {
        (self.*Handler)(reinterpret_cast<WINDOWPOS*>(lParam));
        return 0;
    } else if constexpr (Msg == WM_MOUSEMOVE || Msg == WM_LBUTTONDOWN || Msg == WM_LBUTTONUP ||
                         Msg == WM_LBUTTONDBLCLK || Msg == WM_RBUTTONDOWN ||
                         Msg == WM_RBUTTONUP || Msg == WM_RBUTTONDBLCLK) {
        // Client coordinates are signed 16-bit values.
        POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        (self.*Handler)(static_cast<UINT>(wParam), point);
        return 0;
    } else {
        // Any other message: the handler takes and returns the raw values.
        return (self.*Handler)(wParam, lParam);
    }
}

template <auto Handler>
LRESULT Command(CWnd& target, WPARAM, LPARAM)
{
    using Window = typename MemberClass<decltype(Handler)>::type;
    (static_cast<Window&>(target).*Handler)();
    return 0;
}

}  // namespace afx

// A row for a window message.
template <UINT Msg, auto Handler>
constexpr MessageEntry OnMessage()
{
    return MessageEntry{Msg, 0, 0, &afx::Crack<Msg, Handler>};
}

// A row for WM_COMMAND from control `Id` with notification `Code`.
template <UINT Id, UINT Code, auto Handler>
constexpr MessageEntry OnCommand()
{
    return MessageEntry{WM_COMMAND, Code, Id, &afx::Command<Handler>};
}

template <std::size_t N>
constexpr MessageMap MakeMessageMap(const MessageMap* base, const MessageEntry (&entries)[N])
{
    return MessageMap{base, entries, N};
}
