#pragma once

#include <string>

#include "send/DeliveryRetry.h"
#include "send/ExitCode.h"

// What a failed delivery means for the user, in words and as an exit code.

ExitCode ExitCodeFor(DeliveryOutcome outcome);

// A duration as seconds with one decimal: "30.0 s".
std::string SecondsText(RetryDuration duration);

// Why the last try failed, in a few words: "connection refused (...)".
std::string ShortReason(const DeliveryResult& result, int timeoutSeconds);

// The report of a message that was given up: whether it may still be shown, why, after
// how many tries, and what usually causes it. `message` and `where` name the message and
// the host ("message 3", "desk port 26112").
std::string GivenUpText(const std::string& message, const std::string& where,
                        const DeliveryAttempts& attempts, int timeoutSeconds);
