// What a window lays out of a user's text: everything it has room for, never a cost out of proportion to the screen.
#include "core/shown_text.h"
#include "tests/support/row_name.h"

#include <gtest/gtest.h>

using namespace qx;

namespace {

struct ShownCase {
    const char* name;
    QString text;
    QString shown;
};

const QString kAcute(QChar(0x0301));

std::vector<ShownCase> cases() {
    const QString letters(kShownMaxCharacters, QLatin1Char('x'));
    QString lines;
    for (int i = 0; i < kShownMaxLines + 50; ++i)
        lines += QStringLiteral("riga\n");
    return {
        {"ordinary text is shown as it is", QStringLiteral("Pasta pronta: è l'ora!\nA tavola"),
         QStringLiteral("Pasta pronta: è l'ora!\nA tavola")},
        {"accents within the stream-safe limit stay", QStringLiteral("e") + kAcute.repeated(kShownMaxMarks),
         QStringLiteral("e") + kAcute.repeated(kShownMaxMarks)},
        {"a letter under 500,000 accents keeps thirty", QStringLiteral("a") + kAcute.repeated(500000) + u'b',
         QStringLiteral("a") + kAcute.repeated(kShownMaxMarks) + u'b'},
        {"the limit counts again after every letter", (QStringLiteral("a") + kAcute.repeated(40)).repeated(3),
         (QStringLiteral("a") + kAcute.repeated(kShownMaxMarks)).repeated(3)},
        {"a text longer than any window is cut", letters + QStringLiteral("yyy"), letters},
        {"a text of many lines keeps the first ones", lines,
         QStringLiteral("riga\n").repeated(kShownMaxLines - 1) + QStringLiteral("riga")},
        {"characters beyond the basic plane count once", QString::fromUcs4(U"\U0001F600\U0001F600", 2),
         QString::fromUcs4(U"\U0001F600\U0001F600", 2)},
    };
}

class ShownTextTest : public ::testing::TestWithParam<ShownCase> {};

TEST_P(ShownTextTest, IsWhatTheWindowHasRoomFor) {
    EXPECT_EQ(shownText(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Texts, ShownTextTest, ::testing::ValuesIn(cases()), test::RowName());

} // namespace
