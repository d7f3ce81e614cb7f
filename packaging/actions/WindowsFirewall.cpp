// The per-machine package's firewall actions: deferred, without impersonation (the firewall
// takes rules from administrators only), between the files and the end of the installation.
// What the rule says is FirewallRule.cpp's business; here it meets the firewall's COM
// policy and the installation.
#include <windows.h>
#include <initguid.h>
#include <msi.h>
#include <msiquery.h>
#include <netfw.h>

#include <cwchar>
#include <memory>

#include "packaging/actions/FirewallRule.h"
#include "packaging/actions/HeapText.h"

namespace {

struct Releaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using ComRef = std::unique_ptr<Interface, Releaser>;

struct Bstr {
    BSTR text;
    explicit Bstr(const wchar_t* from) : text(SysAllocString(from)) {}
    ~Bstr() { SysFreeString(text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
};

class ComFirewallRules final : public FirewallRules {
public:
    explicit ComFirewallRules(INetFwRules* rules) : rules_(rules) {}

    HRESULT Add(const FirewallRule& fields) override
    {
        INetFwRule* created = nullptr;
        HRESULT result = CoCreateInstance(CLSID_NetFwRule, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_INetFwRule, reinterpret_cast<void**>(&created));
        if (FAILED(result))
            return result;
        ComRef<INetFwRule> rule(created);
        const Bstr name(fields.name), description(fields.description),
            program(fields.applicationName), ports(fields.localPorts),
            addresses(fields.remoteAddresses);
        // The protocol comes before the ports: a rule for any protocol has none.
        const HRESULT steps[] = {
            rule->put_Name(name.text),
            rule->put_Description(description.text),
            rule->put_ApplicationName(program.text),
            rule->put_Protocol(fields.protocol),
            rule->put_LocalPorts(ports.text),
            rule->put_Profiles(fields.profiles),
            rule->put_RemoteAddresses(addresses.text),
            rule->put_Direction(static_cast<NET_FW_RULE_DIRECTION>(fields.direction)),
            rule->put_Action(static_cast<NET_FW_ACTION>(fields.action)),
            rule->put_Enabled(fields.enabled ? VARIANT_TRUE : VARIANT_FALSE),
        };
        for (HRESULT step : steps) {
            if (FAILED(step))
                return step;
        }
        result = rules_->Add(rule.get());
        if (FAILED(result))
            return result;
        // Asked back, so that a firewall which takes rules and keeps none says so.
        INetFwRule* found = nullptr;
        result = rules_->Item(name.text, &found);
        if (found)
            found->Release();
        return result;
    }

    HRESULT Remove(const wchar_t* name) override
    {
        const Bstr ruleName(name);
        return rules_->Remove(ruleName.text);
    }

private:
    INetFwRules* rules_;
};

class InstallLog final : public RuleReport {
public:
    explicit InstallLog(MSIHANDLE install) : install_(install) {}

    void Say(const wchar_t* text) override { Post(INSTALLMESSAGE_INFO, text); }

    // As an error, which a user sees and a silent installation logs.
    void Fail(const wchar_t* text) override
    {
        Post(INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR), text);
    }

private:
    void Post(INSTALLMESSAGE kind, const wchar_t* text)
    {
        wchar_t line[640];
        std::swprintf(line, sizeof line / sizeof line[0], L"Tidemark: %ls", text);
        const MSIHANDLE record = MsiCreateRecord(0);
        MsiRecordSetStringW(record, 0, line);
        MsiProcessMessage(install_, kind, record);
        MsiCloseHandle(record);
    }

    MSIHANDLE install_;
};

// Runs `use` with the machine's firewall rules; the failure to reach them, or S_OK.
template <typename Use>
HRESULT WithFirewallRules(Use use)
{
    const HRESULT initialized = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INetFwPolicy2* opened = nullptr;
    INetFwRules* rules = nullptr;
    HRESULT result = CoCreateInstance(CLSID_NetFwPolicy2, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_INetFwPolicy2, reinterpret_cast<void**>(&opened));
    ComRef<INetFwPolicy2> policy(opened);
    if (SUCCEEDED(result))
        result = policy->get_Rules(&rules);
    if (SUCCEEDED(result)) {
        ComFirewallRules adapter(rules);
        use(adapter);
        rules->Release();
    }
    policy.reset();
    if (SUCCEEDED(initialized))
        CoUninitialize();
    return result;
}

void DescribeUnreachable(HRESULT result, wchar_t (&line)[96])
{
    std::swprintf(line, sizeof line / sizeof line[0],
                  L"the Windows Firewall cannot be reached (0x%08lX)",
                  static_cast<unsigned long>(result));
}

}  // namespace

// Deferred: CustomActionData is the program's installed path, "|" (which no path holds) and
// SENDERS.
extern "C" __declspec(dllexport) UINT __stdcall AddTidemarkFirewallRule(MSIHANDLE install)
{
    InstallLog log(install);
    // However long the list of senders, it is read whole: a cut one would let others in.
    DWORD size = 0;
    wchar_t none[1] = {};
    HeapText data;
    if (MsiGetPropertyW(install, L"CustomActionData", none, &size) == ERROR_MORE_DATA) {
        data = AllocateText(++size);
        if (data &&
            MsiGetPropertyW(install, L"CustomActionData", data.get(), &size) != ERROR_SUCCESS)
            data.reset();
    }
    wchar_t* const program = data.get();
    wchar_t* senders = program ? std::wcschr(program, L'|') : nullptr;
    if (senders == nullptr) {
        log.Fail(L"the firewall rule's program and senders did not reach the installation");
        return ERROR_INSTALL_FAILURE;
    }
    *senders++ = L'\0';
    UINT outcome = ERROR_INSTALL_FAILURE;
    const HRESULT reached = WithFirewallRules(
        [&](FirewallRules& rules) { outcome = AddTidemarkRule(rules, program, senders, log); });
    if (FAILED(reached)) {
        wchar_t line[96];
        DescribeUnreachable(reached, line);
        log.Fail(line);
    }
    return outcome;
}

// Deferred at removal, and the rollback of an installation that had added the rule.
extern "C" __declspec(dllexport) UINT __stdcall RemoveTidemarkFirewallRule(MSIHANDLE install)
{
    InstallLog log(install);
    const HRESULT reached =
        WithFirewallRules([&](FirewallRules& rules) { RemoveTidemarkRule(rules, log); });
    if (FAILED(reached)) {
        wchar_t line[96];
        DescribeUnreachable(reached, line);
        log.Say(line);
    }
    return ERROR_SUCCESS;
}
