#pragma once

// A wait of the listener's own between two tries (after a failed accept, before trying the
// port again), which the stop cuts short: stopping must never wait for a pause to run out.
class ListenerPause {
public:
    virtual ~ListenerPause() = default;
    // Waits `milliseconds`, or less when the stop comes first; false once it has come.
    virtual bool Pause(int milliseconds) = 0;
};
