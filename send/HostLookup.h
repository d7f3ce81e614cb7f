#pragma once

#include <memory>
#include <vector>

#include "send/Desk.h"
#include "send/Reporter.h"
#include "send/SendOptions.h"

// Looks up the hosts' IPv4 addresses, several at a time on a few threads, and makes a desk
// of each one found. An unknown host is reported (exit status 4) and left out.
std::vector<std::unique_ptr<Desk>> OpenDesks(const SendOptions& options, Reporter& reporter);
