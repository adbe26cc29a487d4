// The window's language-dependent texts: fifteen rows, each in Russian
// (language 0) and English (language 1).
#pragma once

#include <string>

namespace texts {

inline constexpr int rowCount = 15;
inline constexpr int languageCount = 2;
inline constexpr int russian = 0;
inline constexpr int english = 1;

// Row numbers the code names.
inline constexpr int inProgressRow = 0;
inline constexpr int promptRow = 9;
inline constexpr int completionRow = 10;
inline constexpr int failureRow = 11;
inline constexpr int addressMessageRow = 12;
inline constexpr int manualRow = 14;

// The text of `row` (0..14) in `language` (0 or 1). Callers pass valid
// values; the table is built before main and never changes.
const std::wstring& text(int row, int language);

} // namespace texts
