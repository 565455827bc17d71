// When the screensaver leaves: at a key that types a character, and once the pointer has really moved.
#pragma once

class QKeyEvent;

namespace qx::saver {

// The pointer rule. Positions are in the face's own unit (twips, or the `Quadrantix` face's unit). The first event
// only records where the pointer is; a later one more than one unit away on either axis sets `mosso`. A stored 0
// means "not seen yet", so a pointer resting on the window's left or top edge is recorded again on that axis.
class PointerRule {
public:
    void moved(float x, float y);

    bool mosso() const { return mosso_; }
    float ultimo_x() const { return ultimo_x_; }
    float ultimo_y() const { return ultimo_y_; }

private:
    bool mosso_ = false;
    float ultimo_x_ = 0, ultimo_y_ = 0;
};

// The key rule: every key or combination that types a character, control characters included (letters, digits,
// punctuation, space, Enter, Escape, Backspace, Tab), leaves; keys that type nothing (Shift, Ctrl, Alt, arrows,
// function keys, Delete) do not.
bool leavesOnKey(const QKeyEvent& event);

} // namespace qx::saver
