#include "address_filter.h"
#include "address_list.h"

#include <gtest/gtest.h>

using net::IpVersion;
using net::LocalAddress;

namespace {

LocalAddress v4(const wchar_t* text) {
    return {IpVersion::v4, text};
}
LocalAddress v6(const wchar_t* text) {
    return {IpVersion::v6, text};
}

const std::wstring nine(9, L' ');

} // namespace

TEST(JoinIPv4, OneAddressStandsAlone) {
    EXPECT_EQ(net::joinIPv4({v4(L"192.168.1.20")}), L"192.168.1.20");
}

TEST(JoinIPv4, ThreeAddressesKeepTheirOrderWithNineSpacesBetween) {
    EXPECT_EQ(net::joinIPv4({v4(L"192.168.1.20"), v4(L"10.0.0.7"), v4(L"172.16.5.1")}),
              L"192.168.1.20" + nine + L"10.0.0.7" + nine + L"172.16.5.1");
}

TEST(JoinIPv4, DuplicatesAreKept) {
    EXPECT_EQ(net::joinIPv4({v4(L"10.0.0.7"), v4(L"10.0.0.7")}), L"10.0.0.7" + nine + L"10.0.0.7");
}

TEST(JoinIPv4, IPv6EntriesLeaveNoSeparatorBehind) {
    struct Case {
        const char* name;
        std::vector<LocalAddress> addresses;
        std::wstring joined;
    };
    const Case cases[] = {
        {"before", {v6(L"fe80::1"), v6(L"::1"), v4(L"10.0.0.7")}, L"10.0.0.7"},
        {"between", {v4(L"10.0.0.7"), v6(L"fe80::1"), v4(L"10.0.0.8")}, L"10.0.0.7" + nine + L"10.0.0.8"},
        {"after", {v4(L"10.0.0.7"), v4(L"10.0.0.8"), v6(L"fe80::1")}, L"10.0.0.7" + nine + L"10.0.0.8"},
        {"only IPv6", {v6(L"fe80::1")}, L""},
        {"none", {}, L""},
    };
    for (const Case& c : cases) EXPECT_EQ(net::joinIPv4(c.addresses), c.joined) << c.name;
}

TEST(AddressKeyFilter, DigitsDotAndBackspacePassEverythingElseIsDropped) {
    struct Case {
        wchar_t key;
        bool passes;
    };
    const Case cases[] = {
        {L'0', true},       {L'5', true},     {L'9', true},     {L'.', true},       {L'\b', true},
        {L'/', false},      {L':', false},    {L'a', false},    {L'Z', false},      {L' ', false},
        {L',', false},      {L'-', false},    {L'\r', false},   {L'\n', false},     {L'\x1b', false},
        {L'\t', false},     {L'\x16', false}, {L'\x7f', false}, {L'\u0661', false}, // Arabic-Indic digit one
        {L'\uFF11', false},                                                         // full-width digit one
        {L'\u0431', false},                                                         // Cyrillic letter
        {L'\uFF0E', false},                                                         // full-width full stop
    };
    for (const Case& c : cases)
        EXPECT_EQ(net::filterAddressKey(c.key), c.passes ? c.key : L'\0') << "U+" << std::hex << int(c.key);
}

TEST(PastedAddressFilter, KeepsOnlyDigitsAndDots) {
    struct Case {
        std::wstring pasted, kept;
    };
    const Case cases[] = {
        {L"192.168.1.5", L"192.168.1.5"},
        {L" 192.168.1.5\r\n", L"192.168.1.5"},
        {L"1.2.3.4 & del *.*", L"1.2.3.4."},
        {L"10.0.0.1\"; calc", L"10.0.0.1"},
        {L"\b\b1", L"1"},
        {L"abc", L""},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(net::filterPastedAddress(c.pasted), c.kept);
}
