// What every face window shares on screen: its shape, its placing, dragging by the picture and its pop-up menu.
#pragma once

#include "core/face_commands.h"

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QRegion>
#include <span>

class QColor;
class QMenu;
class QPainter;
class QPixmap;
class QWidget;

namespace qx {

// The faces' shapes and places are given for framed windows, measured from the outer corner of the frame. Our
// windows have no frame: each face names the frame its shapes were drawn for, and the region is moved by it.
struct WindowFrame {
    int left = 0, top = 0, right = 0, bottom = 0;
    QMargins margins() const { return {left, top, right, bottom}; }
};

namespace frames {
inline constexpr WindowFrame kFixed{5, 21, 5, 5};       // fixed frame with a title bar (the analog face)
inline constexpr WindowFrame kFixedSingle{2, 23, 2, 2}; // fixed single frame with a title bar (the large face)
// Thin fixed frame with a title bar (the faces "Digitale" and "Mini"). With these offsets the star's middle falls on
// the middle of the time panel and the oval's on the middle of the Mini's panel, and both shapes lie over their
// pictures: the star cuts a pixel or three off its left, right and top points, the oval leaves two pixels of the
// picture's bezel all round (three at its right).
inline constexpr WindowFrame kThinFixed{3, 21, 3, 3};
inline constexpr WindowFrame kNone{}; // no frame and no title bar (the closing splash)
} // namespace frames

// Regions in pixels of the whole framed window. Boxes run from `from` to `to` with the right and bottom edges
// excluded, as the platform's region calls take them.
QRegion outerEllipse(QPoint from, QPoint to);
QRegion outerRectangle(QPoint from, QPoint to);
QRegion outerPolygon(const QPolygon& corners); // nonzero winding
// The same region in the client area, the only part our frameless windows have.
QRegion clientMask(const QRegion& outer, const WindowFrame& frame);
// Where the client area goes when the framed window is centred on `screen`.
QPoint centredClientPos(QSize client, const WindowFrame& frame, const QRect& screen);
// Where a window of `size` at `pos` goes so that it lies inside `area`: moved in by as little as it takes, to the
// area's top-left corner when it is larger.
QPoint keptInside(QPoint pos, QSize size, const QRect& area);
// The primary monitor's area free of panels (its whole area without a window manager; a 1024 x 768 area without any
// screen). Faces are placed from its top-left corner, not from the virtual desktop's, which may lie on no monitor.
QRect primaryArea();
// A face's opening place: `designPos` measured from the primary monitor's top-left, kept inside its area.
QPoint placeOnPrimary(QPoint designPos, QSize size);
// A window left on no monitor (its monitor was removed) goes to the primary one, at the same offset from its
// top-left as from the removed monitor's, kept inside. A window still on a monitor stays where it is.
void bringOntoAMonitor(QWidget* window, const QRect& removedMonitor);

// A face's unchanging picture, made once as a canvas at the screen's pixel ratio and filled with `ground`.
QPixmap faceCanvas(QSize size, qreal devicePixelRatio, const QColor& ground);
// Copies what lies in `region` of an opaque canvas to the painter's device, rectangle by rectangle: one blend over the
// region's bounding box would hand its rows to Qt's painting threads and wake them every second.
void copyCanvas(QPainter& p, const QPixmap& canvas, const QRegion& region);
// Puts the changed part of a face on screen: before returning when `now` and the face is visible (a new second
// must not wait for the next pass of the event loop), otherwise at that pass. True when it was painted at once.
bool paintChanged(QWidget* face, const QRegion& changed, bool now);

// Makes a face's picture drag its window: a press with any button records the pointer, and moving with a button held
// keeps the recorded point of the picture under the pointer. The window is placed from the pointer's position on the
// screen, never from where the pointer is inside the window: a window manager that has not yet moved the window for
// the last motion (a fast drag queues them back to back) would otherwise leave it behind the pointer.
// A right-button press opens the face's menu, when it has one, and returns when the menu has closed; the keys open it
// too (MenuKeys). (Whether a face records the press before or after its menu makes no difference: the press's own
// position is recorded either way.)
class DragHandle : public QObject {
    Q_OBJECT
public:
    explicit DragHandle(QWidget* picture, QMenu* menu = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* picture_;
    QMenu* menu_;
    QPoint pressPos_;
};

// The Menu key and Shift+F10 anywhere in `window` (whichever of its controls has the focus) open `menu` at the middle
// of `at`, and return when it has closed: the keyboard's way to a face's menu.
class MenuKeys : public QObject {
    Q_OBJECT
public:
    MenuKeys(QWidget* window, QMenu* menu, QWidget* at);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QMenu* menu_;
    QWidget* at_;
};

// A tooltip on a control that shows only a picture: the same text is its accessible name, so that a screen reader
// reads what the tooltip says.
void setPictureToolTip(QWidget* control, const QString& text);

// One item of a face's pop-up menu: its object name, its caption and the command it runs.
struct MenuEntry {
    const char* name;
    const char* caption;
    Command command;
};

// Builds a face's pop-up menu from its table, in order. An item whose command the program cannot carry out is shown
// disabled (checked again each time the menu opens).
QMenu* buildCommandMenu(FaceWindow* face, FaceCommands& commands, std::span<const MenuEntry> entries,
                        const char* menuName = "menu");

} // namespace qx
