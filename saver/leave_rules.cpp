// When the screensaver leaves: the key rule and the pointer rule.
#include "saver/leave_rules.h"

#include <QKeyEvent>

namespace qx::saver {

void PointerRule::moved(float x, float y) {
    if (ultimo_y_ == 0)
        ultimo_y_ = y;
    if (ultimo_x_ == 0)
        ultimo_x_ = x;
    // Single precision, as the positions are kept.
    const float dy = ultimo_y_ - y;
    const float dx = ultimo_x_ - x;
    if (dy > 1.0f || dy < -1.0f)
        mosso_ = true;
    if (dx > 1.0f || dx < -1.0f)
        mosso_ = true;
    ultimo_y_ = y;
    ultimo_x_ = x;
}

bool leavesOnKey(const QKeyEvent& event) {
    // X11 gives Delete the character DEL; it types nothing, like the arrows beside it.
    if (event.key() == Qt::Key_Delete)
        return false;
    return !event.text().isEmpty();
}

} // namespace qx::saver
