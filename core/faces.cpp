// The four faces of the clock, and the machinery that shows one at a time.
#include "core/faces.h"

#include "platform/trace.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

namespace qx {

namespace {
constexpr std::array kFaceNames{u"Analogico", u"Digitale", u"Mini", u"Quadrantix"};
std::size_t index(FaceKind kind) {
    return std::size_t(kind);
}
} // namespace

QString faceName(FaceKind kind) {
    return QString::fromUtf16(kFaceNames[index(kind)]);
}

std::optional<FaceKind> faceFromName(const QString& name) {
    for (std::size_t i = 0; i < kFaceNames.size(); ++i)
        if (name == QStringView(kFaceNames[i]))
            return FaceKind(i);
    return std::nullopt;
}

FaceWindow::FaceWindow(FaceKind kind, Qt::WindowFlags extraFlags)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | extraFlags), kind_(kind) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Quadrantix"));
}

void FaceWindow::setPopupMenu(QMenu* menu, RecordPress when) {
    menu_ = menu;
    record_ = when;
}

void FaceWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const QPoint global = event->globalPosition().toPoint();
    if (record_ == RecordPress::BeforeMenu)
        pressPos_ = pos;
    if (event->button() == Qt::RightButton && menu_) {
        // The menu's command may close this window; it is deleted only later, but must not be touched here.
        QPointer<FaceWindow> self(this);
        menu_->exec(global);
        if (!self)
            return;
    }
    pressPos_ = pos;
}

void FaceWindow::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() == Qt::NoButton)
        return;
    // The point of the picture that was pressed stays under the pointer.
    move(pos() + event->position().toPoint() - pressPos_);
}

void FaceWindow::closeEvent(QCloseEvent* event) {
    closed_ = true;
    QWidget::closeEvent(event);
}

void FaceManager::setFactory(FaceKind kind, Factory factory) {
    factories_[index(kind)] = std::move(factory);
}

bool FaceManager::canShow(FaceKind kind) const {
    return windows_[index(kind)] || factories_[index(kind)];
}

FaceWindow* FaceManager::window(FaceKind kind) const {
    return windows_[index(kind)];
}

FaceWindow* FaceManager::create(FaceKind kind) {
    auto& slot = windows_[index(kind)];
    if (!slot && factories_[index(kind)])
        slot = factories_[index(kind)]();
    return slot;
}

FaceWindow* FaceManager::loadOrologio() {
    return create(FaceKind::Analogico);
}

void FaceManager::showFace(FaceKind target, FaceWindow* from) {
    if (!canShow(target) || (from && from == window(target)))
        return;
    if (from) {
        if (from->kind() == FaceKind::Analogico)
            from->hide();
        else
            from->close();
    }
    if (FaceWindow* w = create(target)) {
        w->show();
        w->raise();
        traceEvent("face", faceName(target));
    }
}

void FaceManager::exitFrom(FaceWindow* from) {
    Q_EMIT exiting();
    if (FaceWindow* orologio = window(FaceKind::Analogico))
        orologio->close();
    if (from)
        from->close();
}

namespace {
class LastWindowWatch : public QObject {
public:
    explicit LastWindowWatch(QApplication* app) : QObject(app) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow() &&
            !pending_) {
            pending_ = true;
            QTimer::singleShot(0, this, &LastWindowWatch::check);
        }
        return false;
    }

private:
    void check() {
        pending_ = false;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            const auto* face = qobject_cast<FaceWindow*>(w);
            if (face ? face->isLoaded() : w->isVisible())
                return;
        }
        QApplication::quit();
    }

    bool pending_ = false;
};
} // namespace

void quitAfterLastWindow(QApplication& app) {
    // Qt's own rule ignores tool windows, and the faces are tool windows (no task bar button).
    app.setQuitOnLastWindowClosed(false);
    app.installEventFilter(new LastWindowWatch(&app));
}

} // namespace qx
