#include "language.h"
#include "texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using texts::text;

namespace {

std::vector<std::wstring> splitLines(const std::wstring& s) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = s.find(L'\n', start);
        lines.push_back(s.substr(start, end - start));
        if (end == std::wstring::npos) return lines;
        start = end + 1;
    }
}

bool isLatin(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}
bool isCyrillic(wchar_t c) {
    return c >= 0x0400 && c <= 0x04FF;
}

// Removes every occurrence of the words that the Russian texts write in
// Latin letters; what is left must have no Latin letter at all.
std::wstring withoutLatinWords(std::wstring s) {
    for (const wchar_t* word : {L"Developer Mode", L"Host PC IP", L"SmartHub", L"App", L"ON", L"IP"}) {
        const std::wstring w = word;
        for (std::size_t at; (at = s.find(w)) != std::wstring::npos;) s.erase(at, w.size());
    }
    return s;
}

} // namespace

TEST(TextTable, EveryRowHasTextInBothLanguages) {
    for (int row = 0; row < texts::rowCount; ++row)
        for (int language = 0; language < texts::languageCount; ++language) {
            SCOPED_TRACE(testing::Message() << "row " << row << " language " << language);
            EXPECT_FALSE(text(row, language).empty());
            EXPECT_EQ(text(row, language).find(L'\r'), std::wstring::npos);
            if (row != texts::manualRow) {
                EXPECT_EQ(text(row, language).find(L'\n'), std::wstring::npos);
            }
        }
}

TEST(TextTable, RowsSitWhereTheWindowLooksForThem) {
    EXPECT_EQ(text(texts::inProgressRow, texts::english), L"Widget installation in progress");
    EXPECT_EQ(text(1, texts::russian), L"Язык");
    EXPECT_EQ(text(texts::promptRow, texts::english),
              L"Enter the IP of your TV, Select its series, Click \"Install Widget\"");
    EXPECT_EQ(text(texts::addressMessageRow, texts::russian),
              L"IP Адрес ТВ не задан или имеет не верный формат.");
    EXPECT_EQ(text(13, texts::english), L"Installation manual");
}

TEST(TextTable, ManualIsEighteenLinesJoinedByLineFeed) {
    for (int language = 0; language < texts::languageCount; ++language) {
        SCOPED_TRACE(language);
        const std::wstring& manual = text(texts::manualRow, language);
        ASSERT_NE(manual.back(), L'\n');
        const auto lines = splitLines(manual);
        ASSERT_EQ(lines.size(), 18u);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const int number = static_cast<int>(i) + 1;
            SCOPED_TRACE(number);
            const bool indented = (number >= 2 && number <= 8) || (number >= 10 && number <= 12) ||
                                  (number >= 14 && number <= 17);
            EXPECT_EQ(lines[i].starts_with(L"  "), indented);
            EXPECT_NE(lines[i].substr(indented ? 2 : 0, 1), L" ");
            EXPECT_EQ(lines[i].ends_with(L" "), number == 3);
            EXPECT_EQ(lines[i].ends_with(L"  "), false);
        }
        EXPECT_TRUE(lines[0].starts_with(L"1. "));
        EXPECT_TRUE(lines[8].starts_with(L"2. "));
        EXPECT_TRUE(lines[12].starts_with(L"3. "));
        EXPECT_TRUE(lines[17].starts_with(L"4. "));
    }
}

TEST(TextTable, RussianTextsUseLatinLettersOnlyInTheirLatinWords) {
    for (int row = 0; row < texts::rowCount; ++row) {
        SCOPED_TRACE(row);
        for (wchar_t c : withoutLatinWords(text(row, texts::russian))) EXPECT_FALSE(isLatin(c)) << int(c);
    }
    // "ОК" on line 5 of the manual is Cyrillic too.
    const auto line5 = splitLines(text(texts::manualRow, texts::russian))[4];
    EXPECT_TRUE(line5.ends_with(L"кнопку \u041E\u041A."));
}

TEST(TextTable, EnglishTextsHaveNoCyrillicLetter) {
    for (int row = 0; row < texts::rowCount; ++row)
        for (wchar_t c : text(row, texts::english)) EXPECT_FALSE(isCyrillic(c)) << "row " << row;
}

namespace {

struct Recorder : texts::CaptionTarget {
    std::vector<std::pair<texts::Caption, std::wstring>> calls;
    void setCaption(texts::Caption control, const std::wstring& caption) override {
        calls.emplace_back(control, caption);
    }
};

} // namespace

TEST(ApplyLanguage, SetsElevenCaptionsInOrderFromTheirRows) {
    using texts::Caption;
    const std::pair<Caption, int> expected[] = {
        {Caption::langRG, 1},        {Caption::ipGB, 2},       {Caption::ipNoteLbl, 3},
        {Caption::refreshIpBTN, 4},  {Caption::tvSeriesRG, 5}, {Caption::BitInstall, 6},
        {Caption::tvIpLbl, 7},       {Caption::installGB, 8},  {Caption::statusLbl, 9},
        {Caption::instManualGB, 13}, {Caption::manualLbl, 14},
    };
    for (int language = 0; language < texts::languageCount; ++language) {
        Recorder window;
        texts::applyLanguage(window, language);
        ASSERT_EQ(window.calls.size(), std::size(expected));
        for (std::size_t i = 0; i < std::size(expected); ++i) {
            EXPECT_EQ(window.calls[i].first, expected[i].first) << i;
            EXPECT_EQ(window.calls[i].second, text(expected[i].second, language)) << i;
            EXPECT_EQ(texts::captionRow(expected[i].first), expected[i].second);
        }
    }
}
