// The form kit of the dialogs and message windows: controls named and placed as their layouts give them, and frames.
#pragma once

#include "core/twips.h"

#include <QColor>
#include <QRect>
#include <QSize>
#include <QString>
#include <Qt>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace qx::forms {

// What every dialog window has: a title and a close box, no minimise or maximise box, no button in the task bar.
inline constexpr Qt::WindowFlags kDialogFrame =
    Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
// A dialog that must be seen when it opens (the alarm): it stays above the other windows, a full-screen one included
// once it has the focus. A window that opens behind another is an alarm missed.
inline constexpr Qt::WindowFlags kAlertFrame = kDialogFrame | Qt::WindowStaysOnTopHint;
// The same for a window of its own, with a button in the task bar (the millennium greeting).
inline constexpr Qt::WindowFlags kAlertWindowFrame =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint;

// Names a control as its layout does: the tests find controls by these names. A null name leaves it unnamed.
void setName(QWidget* control, const char* name);

// Names a control and puts it at `geometry`, in the parent's pixels: layouts given in twips convert theirs with
// twipRect().
template <typename Widget> Widget* place(Widget* control, const char* name, const QRect& geometry) {
    setName(control, name);
    control->setGeometry(geometry);
    return control;
}

// A label of plain text, always: a text that comes from the store shows as the characters typed, markup included.
QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);

// A picture: the artwork rendered at `size` (the box's own size when empty) and at the parent's pixel ratio, centred
// in its box.
QLabel* picture(QWidget* parent, const char* name, const QString& artwork, const QRect& geometry, QSize size = {});

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QRect& geometry);

// An engraved horizontal line across `geometry`.
QFrame* rule(QWidget* parent, const QRect& geometry);

// The colour of a control's text.
void setTextColour(QWidget* control, const QColor& colour);

} // namespace qx::forms
