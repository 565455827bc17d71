// The part of a user's text a window can show: what a text box lays out stays within a frame's time.
#pragma once

#include <QString>

namespace qx {

// `text` as a window draws it. Laying out text costs time in proportion to its characters, and some cost far more
// than their place on screen: a letter under 500,000 accents took 7 s, in which no key and no tick was served. So:
// - after each letter at most kMaxMarks combining marks are kept (Unicode's stream-safe limit; more stack out of
//   sight above and below the line anyway);
// - at most kMaxCharacters characters and kMaxLines lines are kept, far more than any of our windows has room for.
// A text within these limits is returned as it is. The store keeps the whole text; only the drawing is bounded.
QString shownText(const QString& text);

inline constexpr qsizetype kShownMaxMarks = 30;
inline constexpr qsizetype kShownMaxCharacters = 4000;
inline constexpr qsizetype kShownMaxLines = 100;

} // namespace qx
