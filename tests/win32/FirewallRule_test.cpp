#include "packaging/actions/FirewallRule.h"

#include <netfw.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t kProgram[] = L"C:\\Program Files\\Tidemark\\tidemark.exe";

// A firewall that keeps what it is given, and answers Add with `addResult`.
struct RecordingFirewall : FirewallRules {
    HRESULT Add(const FirewallRule& rule) override
    {
        calls.push_back(L"add " + std::wstring(rule.name));
        added.push_back(rule);
        remoteAddresses.push_back(rule.remoteAddresses);  // lives only as long as the call
        return addResult;
    }
    HRESULT Remove(const wchar_t* name) override
    {
        calls.push_back(L"remove " + std::wstring(name));
        return removeResult;
    }
    HRESULT addResult = S_OK;
    HRESULT removeResult = S_OK;
    std::vector<std::wstring> calls;
    std::vector<FirewallRule> added;
    std::vector<std::wstring> remoteAddresses;
};

struct RecordingReport : RuleReport {
    void Say(const wchar_t* text) override { said += text; }
    void Fail(const wchar_t* text) override { failed += text; }
    std::wstring said, failed;
};

TEST(FirewallRuleTest, ReplacesTheRuleWithOneForTheProgramAndTheSendersOnTheReceiversPort)
{
    RecordingFirewall firewall;
    RecordingReport report;
    const wchar_t senders[] = L"10.1.2.0/24, 192.168.1.20";
    ASSERT_EQ(AddTidemarkRule(firewall, kProgram, senders, report), ERROR_SUCCESS);

    const std::wstring name = kTidemarkRuleName;
    EXPECT_EQ(firewall.calls, (std::vector<std::wstring>{L"remove " + name, L"add " + name}));
    const FirewallRule& rule = firewall.added.at(0);
    EXPECT_STREQ(rule.applicationName, kProgram);
    EXPECT_EQ(firewall.remoteAddresses.at(0), L"10.1.2.0/24,192.168.1.20");
    EXPECT_EQ(std::wstring(rule.localPorts) + L"/" + std::to_wstring(rule.protocol), L"26112/6");
    EXPECT_EQ(rule.profiles, NET_FW_PROFILE2_DOMAIN | NET_FW_PROFILE2_PRIVATE);
    EXPECT_EQ(rule.direction, NET_FW_RULE_DIR_IN);
    EXPECT_EQ(rule.action, NET_FW_ACTION_ALLOW);
    EXPECT_TRUE(rule.enabled);
    EXPECT_NE(std::wstring(rule.description).find(L"SENDERS"), std::wstring::npos);
    EXPECT_NE(report.said.find(firewall.remoteAddresses.at(0)), std::wstring::npos);
    EXPECT_EQ(report.failed, L"");

    std::wstring many;  // longer than any buffer of a line: it reaches the firewall whole
    for (int network = 0; network < 60; ++network)
        many += L"10.1." + std::to_wstring(network) + L".0/24,";
    many.pop_back();
    ASSERT_EQ(AddTidemarkRule(firewall, kProgram, many.c_str(), report), ERROR_SUCCESS);
    EXPECT_EQ(firewall.remoteAddresses.at(1), many);
}

TEST(FirewallRuleTest, SendersThatAreNoAddressListFailTheInstallationAndOpenNothing)
{
    for (const wchar_t* good : {L"LocalSubnet", L"localsubnet,DNS", L"192.168.1.20-192.168.1.29",
                                L"10.0.0.0/255.255.0.0", L"fe80::/64,::1", L"*"})
        EXPECT_TRUE(IsSenderList(good)) << good;
    for (const wchar_t* bad : {L"", L"10.1.2.0/24;all", L"everyone", L"10.1.2.0/33",
                               L"10.0.0.0/255.0.255.0", L"10.0.0.1-fe80::1", L"10.1.2.0/24,",
                               L"300.1.1.1", L"10.1.2.0/", L"fe80::/129"}) {
        RecordingFirewall firewall;
        RecordingReport report;
        EXPECT_EQ(AddTidemarkRule(firewall, kProgram, bad, report), ERROR_INSTALL_FAILURE) << bad;
        EXPECT_TRUE(firewall.calls.empty()) << bad;
        EXPECT_NE(report.failed.find(L"SENDERS is not a list"), std::wstring::npos) << bad;
    }
}

TEST(FirewallRuleTest, OnlyAFirewallWithoutRulesIsForgivenARefusal)
{
    RecordingFirewall firewall;
    RecordingReport report;
    firewall.addResult = E_NOTIMPL;
    EXPECT_EQ(AddTidemarkRule(firewall, kProgram, L"LocalSubnet", report), ERROR_SUCCESS);
    EXPECT_NE(report.said.find(L"does not implement rules"), std::wstring::npos);

    firewall.addResult = E_ACCESSDENIED;
    EXPECT_EQ(AddTidemarkRule(firewall, kProgram, L"LocalSubnet", report), ERROR_INSTALL_FAILURE);
    EXPECT_NE(report.failed.find(L"0x80070005"), std::wstring::npos);

    // Removal is never refused: it is told.
    firewall.calls.clear();
    firewall.removeResult = E_ACCESSDENIED;
    RemoveTidemarkRule(firewall, report);
    EXPECT_EQ(firewall.calls, std::vector<std::wstring>{L"remove " + std::wstring(kTidemarkRuleName)});
    EXPECT_NE(report.said.find(L"could not be removed (0x80070005)"), std::wstring::npos);
}

}  // namespace
