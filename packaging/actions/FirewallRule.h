// The inbound rule that the per-machine package adds to the Windows Firewall, apart from
// the firewall itself: the package's custom actions give it the COM policy
// (WindowsFirewall.cpp), the tests a recording stand-in.
#pragma once

#include <windows.h>

// The fields of one rule, as the firewall's INetFwRule names them.
struct FirewallRule {
    const wchar_t* name;
    const wchar_t* description;
    const wchar_t* applicationName;
    LONG protocol;  // NET_FW_IP_PROTOCOL_*
    const wchar_t* localPorts;
    LONG profiles;  // NET_FW_PROFILE2_* combined
    const wchar_t* remoteAddresses;
    LONG direction;  // NET_FW_RULE_DIRECTION
    LONG action;     // NET_FW_ACTION
    bool enabled;
};

class FirewallRules {
public:
    // Adds the rule and asks for it back: E_NOTIMPL when the firewall takes rules but keeps
    // none (Wine's answers S_OK to every call but the question).
    virtual HRESULT Add(const FirewallRule& rule) = 0;
    // Takes out the rules of that name; none there is no failure.
    virtual HRESULT Remove(const wchar_t* name) = 0;

protected:
    ~FirewallRules() = default;
};

// Where the outcome is told (the installation's log).
class RuleReport {
public:
    virtual void Say(const wchar_t* text) = 0;
    // The reason the installation fails.
    virtual void Fail(const wchar_t* text) = 0;

protected:
    ~RuleReport() = default;
};

// The rule's name, by which removal finds it.
extern const wchar_t kTidemarkRuleName[];

// Whether `senders` is what the firewall takes as remote addresses and what the package
// lets through: addresses, networks (address/prefix or address/mask), ranges (first-last)
// and the firewall's keywords, separated by commas.
bool IsSenderList(const wchar_t* senders);

// Replaces the package's rule by one that lets `senders` reach `program` on Tidemark's port.
// ERROR_SUCCESS, or ERROR_INSTALL_FAILURE with the reason told to `report`.
UINT AddTidemarkRule(FirewallRules& rules, const wchar_t* program, const wchar_t* senders,
                     RuleReport& report);

// Takes the package's rule out; a failure is told, never returned: nothing should keep
// Tidemark from being removed.
void RemoveTidemarkRule(FirewallRules& rules, RuleReport& report);
