#include "install/address.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const wchar_t* text;
    bool accepted;
};

class AddressCheck : public testing::TestWithParam<Case> {};

TEST_P(AddressCheck, AcceptsOnlyDottedQuads) {
    EXPECT_EQ(install::isDottedQuad(GetParam().text), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AddressCheck,
    testing::Values(
        // plain addresses
        Case{L"192.168.0.105", true}, Case{L"1.2.3.4", true}, Case{L"0.0.0.0", true},
        Case{L"255.255.255.255", true}, Case{L"127.0.0.2", true}, Case{L"10.0.0.10", true},
        // what the old length rule let through or kept out
        Case{L"", false}, Case{L"1.2.34", false}, Case{L"1..2..3", false}, Case{L"12.34.5", false},
        Case{L"1.2.3", false}, Case{L"1.2.3.4.5", false},
        // numbers out of range, too long, with leading zeros
        Case{L"256.1.1.1", false}, Case{L"1.2.3.999", false}, Case{L"1.2.3.0255", false},
        Case{L"01.2.3.4", false}, Case{L"1.2.3.00", false}, Case{L"4294967296.1.1.1", false},
        // stray dots and blanks
        Case{L".1.2.3.4", false}, Case{L"1.2.3.4.", false}, Case{L" 1.2.3.4", false},
        Case{L"1.2.3.4 ", false}, Case{L"1.2.3.4\n", false},
        // what a pasted command would look like
        Case{L"1.2.3.4 & del *.*", false}, Case{L"1.2.3.4&calc", false}, Case{L"1.2.3.4|x", false},
        Case{L"1.2.3.4\"", false}, Case{L"1.2.3.4:26101", false}, Case{L"1.2.3.4>x", false},
        // digits of other scripts and full-width forms are not ASCII digits
        Case{L"\u0661.2.3.4", false}, Case{L"1\uff0e2.3.4", false}, Case{L"1.2.3.\xff14", false}));

TEST(AddressCheck, EmbeddedNulIsNotTheEnd) {
    EXPECT_FALSE(install::isDottedQuad(std::wstring_view(L"1.2.3.4\0&x", 10)));
}

} // namespace
