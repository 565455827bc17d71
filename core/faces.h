// The four faces of the clock, and the machinery that shows one at a time.
#pragma once

#include "platform/tick_gate.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class QApplication;
class QMenu;

namespace qx {

// The user's names of the faces, as stored under "Avvio" and "Salvaschermo".
enum class FaceKind { Analogico, Digitale, Mini, Quadrantix };
QString faceName(FaceKind kind);
std::optional<FaceKind> faceFromName(const QString& name); // exact, case-sensitive text

// A shaped, frameless face window that is dragged by its picture and opens its menu on the right button.
class FaceWindow : public QWidget {
    Q_OBJECT
public:
    explicit FaceWindow(FaceKind kind, Qt::WindowFlags extraFlags = {});
    FaceKind kind() const { return kind_; }
    TickGate* gate() { return &gate_; }
    // Loaded: created and not yet closed, shown or hidden.
    bool isLoaded() const { return !closed_; }

protected:
    // When the face records the press position: after its menu has closed (most faces) or before opening it.
    enum class RecordPress { AfterMenu, BeforeMenu };
    void setPopupMenu(QMenu* menu, RecordPress when = RecordPress::AfterMenu);
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    FaceKind kind_;
    bool closed_ = false;
    TickGate gate_;
    QMenu* menu_ = nullptr;
    RecordPress record_ = RecordPress::AfterMenu;
    QPoint pressPos_;
};

// One window of each face at most. The analog window is loaded first and only ever hidden, so that its timers (the
// chimes and the alarm) keep running; every other face is closed, losing its state, when another one is shown.
class FaceManager : public QObject {
    Q_OBJECT
public:
    using Factory = std::function<FaceWindow*()>;

    void setFactory(FaceKind kind, Factory factory);
    bool canShow(FaceKind kind) const;

    // Loads the analog window without showing it.
    FaceWindow* loadOrologio();
    FaceWindow* window(FaceKind kind) const;

    // Shows `target` in place of `from` (nullptr at start-up). A face that is not available changes nothing.
    void showFace(FaceKind target, FaceWindow* from = nullptr);
    // Closes the analog window and the face the command came from; the program ends with its last window.
    void exitFrom(FaceWindow* from);

Q_SIGNALS:
    void exiting();

private:
    FaceWindow* create(FaceKind kind);

    std::array<Factory, 4> factories_;
    std::array<QPointer<FaceWindow>, 4> windows_;
};

// Ends the program when its last window has closed: a face window that is loaded but hidden keeps it running (the
// analog window, with its chimes and alarm), and so does any other window still open (an alarm, an about window).
void quitAfterLastWindow(QApplication& app);

} // namespace qx
