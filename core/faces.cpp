// The four faces of the clock, and the machinery that shows one at a time and carries out their commands.
#include "core/faces.h"

#include "core/face_chrome.h"
#include "core/program_info.h"
#include "platform/trace.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QTimer>

namespace qx {

namespace {
std::size_t index(FaceKind kind) {
    return std::size_t(kind);
}
} // namespace

Command showCommand(FaceKind face) {
    return Command(int(Command::ShowAnalogico) + int(face));
}

std::optional<FaceKind> shownFace(Command command) {
    if (command >= Command::ShowAnalogico && command <= Command::ShowQuadrantix)
        return FaceKind(int(command) - int(Command::ShowAnalogico));
    return std::nullopt;
}

FaceWindow::FaceWindow(FaceKind kind, Qt::WindowFlags extraFlags)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | extraFlags), kind_(kind) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(programTitle());
}

void FaceWindow::closeEvent(QCloseEvent* event) {
    // The program's own closes are not spontaneous; the window manager's are. Closing a face alone would leave the
    // clock running with only its hidden analog window (or end it without the closing splash): the face's exit
    // command decides instead, which may ask first, so it runs outside this handler.
    if (event->spontaneous() && exitCommand_) {
        event->ignore();
        QTimer::singleShot(0, this, [this] {
            if (isLoaded())
                exitCommand_();
        });
        return;
    }
    closed_ = true;
    QWidget::closeEvent(event);
}

FaceManager::FaceManager() {
    if (qGuiApp)
        connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this](QScreen* removed) {
            const QRect monitor = removed->geometry();
            for (const QPointer<FaceWindow>& w : windows_)
                if (w && w->isLoaded())
                    bringOntoAMonitor(w, monitor);
        });
}

void FaceManager::setFactory(FaceKind kind, Factory factory) {
    factories_[index(kind)] = std::move(factory);
}

void FaceManager::setHandler(Command command, Handler handler) {
    if (Handler* slot = this->handler(command))
        *slot = std::move(handler);
}

FaceManager::Handler* FaceManager::handler(Command command) {
    return const_cast<Handler*>(std::as_const(*this).handler(command));
}

const FaceManager::Handler* FaceManager::handler(Command command) const {
    switch (command) {
    case Command::Screensaver:
        return &screensaver_;
    case Command::Options:
        return &options_;
    case Command::About:
        return &about_;
    default:
        return nullptr;
    }
}

bool FaceManager::isAvailable(Command command) const {
    if (const std::optional<FaceKind> face = shownFace(command))
        return windows_[index(*face)] || factories_[index(*face)];
    if (command == Command::Exit)
        return true;
    const Handler* h = handler(command);
    return h && *h;
}

void FaceManager::run(Command command, FaceWindow* from) {
    if (!isAvailable(command))
        return;
    if (const std::optional<FaceKind> face = shownFace(command))
        showFace(*face, from);
    else if (command == Command::Exit)
        exitFrom(from);
    else
        (*handler(command))(from);
}

FaceWindow* FaceManager::window(FaceKind kind) const {
    return windows_[index(kind)];
}

FaceWindow* FaceManager::create(FaceKind kind) {
    auto& slot = windows_[index(kind)];
    if (!slot && factories_[index(kind)]) {
        slot = factories_[index(kind)]();
        // A close from outside is the face's exit command; a face with one of its own (a question first) keeps it.
        if (FaceWindow* w = slot; w && !w->hasExitCommand())
            w->setExitCommand([this, w] { run(Command::Exit, w); });
    }
    return slot;
}

FaceWindow* FaceManager::loadOrologio() {
    return create(FaceKind::Analogico);
}

void FaceManager::showFace(FaceKind target, FaceWindow* from) {
    if (!isAvailable(showCommand(target)) || (from && from == window(target)))
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
    // The tiny and the large face close before the analog window, the others after it.
    const bool faceFirst = from && (from->kind() == FaceKind::Mini || from->kind() == FaceKind::Quadrantix);
    if (faceFirst)
        from->close();
    if (FaceWindow* orologio = window(FaceKind::Analogico))
        orologio->close();
    if (from && !faceFirst)
        from->close();
    Q_EMIT exiting();
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
