#pragma once

#include "support/FailingSocketApi.h"

// A socket seam whose last error is a fixed code; every other call fails. Enough for the
// operations that only read the last error.
class FixedErrorSocketApi : public FailingSocketApi {
public:
    explicit FixedErrorSocketApi(int lastError) : lastError_(lastError) {}

    int lastErrorReads = 0;

    int WSAGetLastError() override
    {
        ++lastErrorReads;
        return lastError_;
    }

    int WSAStartup(std::uint16_t) override { return lastError_; }

private:
    int lastError_;
};
