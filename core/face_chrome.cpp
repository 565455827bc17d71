// What every face window shares on screen: its shape, its placing, dragging by the picture and its pop-up menu.
#include "core/face_chrome.h"

#include "core/faces.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace qx {

QRegion outerEllipse(QPoint from, QPoint to) {
    return QRegion(QRect(from, QSize(to.x() - from.x(), to.y() - from.y())), QRegion::Ellipse);
}

QRegion outerRectangle(QPoint from, QPoint to) {
    return QRegion(QRect(from, QSize(to.x() - from.x(), to.y() - from.y())));
}

QRegion outerPolygon(const QPolygon& corners) {
    return QRegion(corners, Qt::WindingFill);
}

QRegion clientMask(const QRegion& outer, const WindowFrame& frame) {
    return outer.translated(-frame.left, -frame.top);
}

QPoint centredClientPos(QSize client, const WindowFrame& frame, const QRect& screen) {
    const QRect outer = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, client.grownBy(frame.margins()), screen);
    return outer.topLeft() + QPoint(frame.left, frame.top);
}

QPoint keptInside(QPoint pos, QSize size, const QRect& area) {
    const int x = std::max(area.left(), std::min(pos.x(), area.left() + area.width() - size.width()));
    const int y = std::max(area.top(), std::min(pos.y(), area.top() + area.height() - size.height()));
    return {x, y};
}

QRect primaryArea() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry();
    return {0, 0, 1024, 768};
}

QPoint placeOnPrimary(QPoint designPos, QSize size) {
    const QRect area = primaryArea();
    return keptInside(area.topLeft() + designPos, size, area);
}

void bringOntoAMonitor(QWidget* window, const QRect& removedMonitor) {
    const QRect frame = window->frameGeometry();
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->geometry() != removedMonitor && screen->geometry().intersects(frame))
            return;
    const QRect area = primaryArea();
    window->move(keptInside(area.topLeft() + (frame.topLeft() - removedMonitor.topLeft()), frame.size(), area));
}

QPixmap faceCanvas(QSize size, qreal devicePixelRatio, const QColor& ground) {
    QPixmap canvas(size * devicePixelRatio);
    canvas.setDevicePixelRatio(devicePixelRatio);
    canvas.fill(ground);
    return canvas;
}

void copyCanvas(QPainter& p, const QPixmap& canvas, const QRegion& region) {
    const QPainter::CompositionMode mode = p.compositionMode();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const qreal ratio = canvas.devicePixelRatio();
    for (const QRect& r : region)
        p.drawPixmap(r, canvas, QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio));
    p.setCompositionMode(mode);
}

bool paintChanged(QWidget* face, const QRegion& changed, bool now) {
    if (changed.isEmpty())
        return false;
    if (now && face->isVisible()) {
        face->repaint(changed);
        return true;
    }
    face->update(changed);
    return false;
}

DragHandle::DragHandle(QWidget* picture, QMenu* menu) : QObject(picture), picture_(picture), menu_(menu) {
    picture_->installEventFilter(this);
    if (menu_)
        new MenuKeys(picture_->window(), menu_, picture_);
}

bool DragHandle::eventFilter(QObject* watched, QEvent* event) {
    if (watched != picture_)
        return false;
    // The second press of a quick double click comes as a double click: it is a press all the same (a second right
    // click opens the menu again, a second drag starts from where it was pressed).
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        auto* press = static_cast<QMouseEvent*>(event);
        pressPos_ = press->position().toPoint();
        // The chosen command may close the face (its window goes only later): nothing here touches it afterwards.
        if (press->button() == Qt::RightButton && menu_)
            menu_->exec(press->globalPosition().toPoint());
        return true;
    }
    if (event->type() == QEvent::MouseMove) {
        auto* move = static_cast<QMouseEvent*>(event);
        if (move->buttons() == Qt::NoButton)
            return false;
        // The point of the picture that was pressed stays under the pointer.
        QWidget* window = picture_->window();
        window->move(move->globalPosition().toPoint() - picture_->mapTo(window, pressPos_));
        return true;
    }
    return false;
}

MenuKeys::MenuKeys(QWidget* window, QMenu* menu, QWidget* at) : QObject(at), window_(window), menu_(menu), at_(at) {
    // Keys go to the focus widget and, unused, on to its window: the window's filter sees them wherever the focus is.
    window_->installEventFilter(this);
}

bool MenuKeys::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_)
        return false;
    // The Menu key comes as a context menu event from the keyboard (a right click's own comes from the mouse, and
    // the press has opened the menu already); Shift+F10 as a key.
    bool open = false;
    if (event->type() == QEvent::ContextMenu)
        open = static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard;
    else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        open = key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
    }
    if (!open)
        return false;
    // The chosen command may close the window (it goes only later): nothing here touches it afterwards.
    menu_->exec(at_->mapToGlobal(at_->rect().center()));
    return true;
}

void setPictureToolTip(QWidget* control, const QString& text) {
    control->setToolTip(text);
    control->setAccessibleName(text);
}

QMenu* buildCommandMenu(FaceWindow* face, FaceCommands& commands, std::span<const MenuEntry> entries,
                        const char* menuName) {
    auto* menu = new QMenu(face);
    menu->setObjectName(QLatin1String(menuName));
    for (const MenuEntry& entry : entries) {
        QAction* action = menu->addAction(QString::fromUtf8(entry.caption));
        action->setObjectName(QLatin1String(entry.name));
        const Command command = entry.command;
        action->setEnabled(commands.isAvailable(command));
        QObject::connect(action, &QAction::triggered, face,
                         [face, &commands, command] { commands.run(command, face); });
        QObject::connect(menu, &QMenu::aboutToShow, action,
                         [action, &commands, command] { action->setEnabled(commands.isAvailable(command)); });
    }
    return menu;
}

} // namespace qx
