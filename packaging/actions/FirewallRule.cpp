#include "packaging/actions/FirewallRule.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <netfw.h>

#include <cwchar>

#include "packaging/actions/HeapText.h"

const wchar_t kTidemarkRuleName[] = L"Tidemark (per-machine package)";

namespace {

const wchar_t kRuleDescription[] =
    L"Lets the senders chosen at installation (SENDERS) reach Tidemark on TCP port 26112. "
    L"Added and removed by Tidemark's per-machine package.";

// The firewall's names for addresses that it looks up itself.
const wchar_t* const kKeywords[] = {L"LocalSubnet", L"DNS", L"DHCP", L"WINS",
                                    L"DefaultGateway"};

// The address family of `text` (AF_INET, AF_INET6), or 0 when it is no address.
int AddressFamily(const wchar_t* text, in_addr* v4 = nullptr)
{
    in_addr address4;
    in6_addr address6;
    if (InetPtonW(AF_INET, text, &address4) == 1) {
        if (v4)
            *v4 = address4;
        return AF_INET;
    }
    return InetPtonW(AF_INET6, text, &address6) == 1 ? AF_INET6 : 0;
}

bool IsPrefixLength(const wchar_t* text, int family)
{
    const int bits = family == AF_INET ? 32 : 128;
    int length = 0;
    if (*text == L'\0' || std::wcslen(text) > 3)
        return false;
    for (; *text; ++text) {
        if (*text < L'0' || *text > L'9')
            return false;
        length = length * 10 + (*text - L'0');
    }
    return length <= bits;
}

// A mask such as 255.255.255.0: ones, then only zeros.
bool IsMask(const wchar_t* text)
{
    in_addr mask;
    if (AddressFamily(text, &mask) != AF_INET)
        return false;
    const unsigned long bits = ntohl(mask.s_addr);
    return (~bits & (~bits + 1)) == 0;
}

bool IsSenderEntry(wchar_t* entry)
{
    if (std::wcscmp(entry, L"*") == 0)
        return true;
    for (const wchar_t* keyword : kKeywords) {
        if (_wcsicmp(entry, keyword) == 0)
            return true;
    }
    if (wchar_t* last = std::wcschr(entry, L'-')) {
        *last++ = L'\0';
        const int family = AddressFamily(entry);
        return family != 0 && AddressFamily(last) == family;
    }
    if (wchar_t* length = std::wcschr(entry, L'/')) {
        *length++ = L'\0';
        const int family = AddressFamily(entry);
        return family != 0 && (IsPrefixLength(length, family) || (family == AF_INET && IsMask(length)));
    }
    return AddressFamily(entry) != 0;
}

}  // namespace

bool IsSenderList(const wchar_t* senders)
{
    wchar_t entry[96];
    for (const wchar_t* start = senders;; ++start) {
        const wchar_t* end = start + std::wcscspn(start, L",");
        while (*start == L' ')
            ++start;
        const wchar_t* last = end;
        while (last > start && last[-1] == L' ')
            --last;
        const size_t length = last > start ? static_cast<size_t>(last - start) : 0;
        if (length == 0 || length >= sizeof entry / sizeof entry[0])
            return false;
        std::wmemcpy(entry, start, length);
        entry[length] = L'\0';
        if (!IsSenderEntry(entry))
            return false;
        if (*end == L'\0')
            return true;
        start = end;
    }
}

UINT AddTidemarkRule(FirewallRules& rules, const wchar_t* program, const wchar_t* senders,
                     RuleReport& report)
{
    wchar_t line[512];
    if (!IsSenderList(senders)) {
        std::swprintf(line, sizeof line / sizeof line[0],
                      L"SENDERS is not a list of addresses, networks or ranges: \"%.300ls\"; "
                      L"the port stays closed",
                      senders);
        report.Fail(line);
        return ERROR_INSTALL_FAILURE;
    }
    // No entry holds a space: the firewall gets the list without those around the commas.
    const HeapText addresses = AllocateText(std::wcslen(senders) + 1);
    if (!addresses) {
        report.Fail(L"no memory for the list of senders");
        return ERROR_INSTALL_FAILURE;
    }
    wchar_t* kept = addresses.get();
    for (const wchar_t* read = senders; *read; ++read) {
        if (*read != L' ')
            *kept++ = *read;
    }
    // A rule left by an earlier installation (a repair, an upgrade) is replaced, not doubled.
    rules.Remove(kTidemarkRuleName);
    const FirewallRule rule{kTidemarkRuleName, kRuleDescription, program,
                            NET_FW_IP_PROTOCOL_TCP, L"26112",
                            NET_FW_PROFILE2_DOMAIN | NET_FW_PROFILE2_PRIVATE, addresses.get(),
                            NET_FW_RULE_DIR_IN, NET_FW_ACTION_ALLOW, true};
    const HRESULT added = rules.Add(rule);
    if (added == E_NOTIMPL) {
        // Only a firewall that has rules in name only answers so (Wine's); Windows' keeps
        // what it took. There is no port to open, and failing would leave such a system
        // without Tidemark for nothing.
        report.Say(L"this system's firewall does not implement rules; none added");
        return ERROR_SUCCESS;
    }
    if (FAILED(added)) {
        std::swprintf(line, sizeof line / sizeof line[0],
                      L"the firewall refused the rule for %.300ls (0x%08lX)", program,
                      static_cast<unsigned long>(added));
        report.Fail(line);
        return ERROR_INSTALL_FAILURE;
    }
    std::swprintf(line, sizeof line / sizeof line[0],
                  L"firewall rule added: TCP 26112 to %.300ls from %.150ls", program,
                  addresses.get());
    report.Say(line);
    return ERROR_SUCCESS;
}

void RemoveTidemarkRule(FirewallRules& rules, RuleReport& report)
{
    const HRESULT removed = rules.Remove(kTidemarkRuleName);
    if (FAILED(removed) && removed != E_NOTIMPL) {
        wchar_t line[128];
        std::swprintf(line, sizeof line / sizeof line[0],
                      L"the firewall rule could not be removed (0x%08lX)",
                      static_cast<unsigned long>(removed));
        report.Say(line);
    }
}
