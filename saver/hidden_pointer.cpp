// The mouse pointer, hidden while the screensaver runs: an application-wide blank cursor.
#include "saver/hidden_pointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace qx::saver {

HiddenPointer::~HiddenPointer() {
    while (hidden())
        show();
}

void HiddenPointer::hide() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    ++hides_;
}

void HiddenPointer::show() {
    if (!hidden())
        return;
    QGuiApplication::restoreOverrideCursor();
    --hides_;
}

} // namespace qx::saver
