// The part of a user's text a window can show: what a text box lays out stays within a frame's time.
#include "core/shown_text.h"

#include <algorithm>

namespace qx {

namespace {
bool isMark(char32_t c) {
    const QChar::Category cat = QChar::category(c);
    return cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining || cat == QChar::Mark_Enclosing;
}
} // namespace

QString shownText(const QString& text) {
    QString out;
    out.reserve(std::min(text.size(), kShownMaxCharacters * 2));
    qsizetype characters = 0, lines = 1, marks = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            ++i;
        }
        if (isMark(c)) {
            if (++marks > kShownMaxMarks)
                continue;
        } else {
            marks = 0;
        }
        if (c == U'\n' && ++lines > kShownMaxLines)
            break;
        if (++characters > kShownMaxCharacters)
            break;
        if (QChar::requiresSurrogates(c)) {
            out += QChar(QChar::highSurrogate(c));
            out += QChar(QChar::lowSurrogate(c));
        } else {
            out += QChar(char16_t(c));
        }
    }
    return out.size() == text.size() ? text : out;
}

} // namespace qx
