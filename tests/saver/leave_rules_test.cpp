// The screensaver's rules for leaving: which keys end it, and when the pointer has moved.
#include "saver/leave_rules.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

#include <vector>

using namespace qx::saver;

TEST(PointerRule, MovementOfMoreThanOneUnit) {
    struct Move {
        float x, y;
        bool mosso; // after this event
    };
    const struct {
        const char* name;
        std::vector<Move> moves;
    } cases[] = {
        {"the first event only records, wherever it is", {{9000, 6000, false}}},
        {"exactly one unit across is no movement", {{100, 100, false}, {101, 100, false}, {100, 100, false}}},
        {"exactly one unit down is no movement", {{100, 100, false}, {100, 99, false}}},
        {"one and a half units across is", {{100, 100, false}, {101.5f, 100, true}}},
        {"one and a half units up is", {{100, 100, false}, {100, 98.5f, true}}},
        {"small steps are measured from the last event, not the first",
         {{100, 100, false}, {101, 100, false}, {102, 100, false}, {103, 100, false}}},
        {"a pointer resting at x 0 is recorded again on that axis",
         {{0, 100, false}, {500, 100, false}, {502, 100, true}}},
        {"a pointer resting at y 0 is recorded again on that axis", {{100, 0, false}, {100, 700, false}}},
        {"a move to 0 and back counts", {{100, 100, false}, {0, 100, true}}},
        {"one unit apart far from the corner, in single precision", {{11999, 8999, false}, {12000, 9000, false}}},
    };
    for (const auto& c : cases) {
        PointerRule rule;
        for (std::size_t i = 0; i < c.moves.size(); ++i) {
            rule.moved(c.moves[i].x, c.moves[i].y);
            EXPECT_EQ(rule.mosso(), c.moves[i].mosso) << c.name << ", event " << i;
        }
    }
}

TEST(PointerRule, OnceSetStaysSet) {
    PointerRule rule;
    rule.moved(100, 100);
    rule.moved(110, 100);
    rule.moved(110, 100);
    EXPECT_TRUE(rule.mosso());
    EXPECT_EQ(rule.ultimo_x(), 110.0f);
    EXPECT_EQ(rule.ultimo_y(), 100.0f);
}

TEST(KeyRule, KeysThatTypeACharacterLeave) {
    const struct {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
        bool leaves;
    } cases[] = {
        {"a letter", Qt::Key_A, Qt::NoModifier, "a", true},
        {"a capital", Qt::Key_A, Qt::ShiftModifier, "A", true},
        {"a digit", Qt::Key_7, Qt::NoModifier, "7", true},
        {"punctuation", Qt::Key_Comma, Qt::NoModifier, ",", true},
        {"space", Qt::Key_Space, Qt::NoModifier, " ", true},
        {"Enter", Qt::Key_Return, Qt::NoModifier, "\r", true},
        {"Escape", Qt::Key_Escape, Qt::NoModifier, "\x1b", true},
        {"Backspace", Qt::Key_Backspace, Qt::NoModifier, "\b", true},
        {"Tab", Qt::Key_Tab, Qt::NoModifier, "\t", true},
        {"Ctrl with a letter types a control character", Qt::Key_C, Qt::ControlModifier, "\x03", true},
        {"Shift alone", Qt::Key_Shift, Qt::ShiftModifier, "", false},
        {"Ctrl alone", Qt::Key_Control, Qt::ControlModifier, "", false},
        {"Alt alone", Qt::Key_Alt, Qt::AltModifier, "", false},
        {"an arrow", Qt::Key_Left, Qt::NoModifier, "", false},
        {"a function key", Qt::Key_F1, Qt::NoModifier, "", false},
        {"Delete, though X11 gives it DEL", Qt::Key_Delete, Qt::NoModifier, "\x7f", false},
    };
    for (const auto& c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers, QString::fromLatin1(c.text));
        EXPECT_EQ(leavesOnKey(event), c.leaves) << c.name;
    }
}
