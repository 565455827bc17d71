// The message boxes of every window: what they say and ask, how they are shown, and who answers them in tests.
#pragma once

#include "core/program_info.h"

#include <QMessageBox>
#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace qx {

// One box, as it is shown. The text is plain text always: a message from the store shows as the characters typed.
struct Message {
    const char* name; // its object name, by which tests find it
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QString title = programTitle(); // a box without a title of its own carries the program's
    // A box that must be seen (the end of a countdown): it stays above the other windows, and it is made as wide as
    // its title needs, which a window manager would otherwise cut short over a short message.
    bool mustBeSeen = false;
};

using Answered = std::function<void(QMessageBox::StandardButton)>;

// Shows the box modal for `parent`'s window only and returns at once: the other windows and their timers go on.
// `answered`, when given, gets the button pressed (or the Escape button's) once the box has closed, unless `parent`
// is gone by then. Returns the box on screen, deleted when it closes; null when a BoxAnswerer answered it.
QMessageBox* tell(QWidget* parent, const Message& message, Answered answered = {});

// Shows the box and waits for the answer, every other window of the program held meanwhile. Returns the button
// pressed; NoButton when the box, or `parent` with it, was deleted before it was answered, so a caller whose window
// went away returns at once.
QMessageBox::StandardButton ask(QWidget* parent, const Message& message);

// Answers in the user's place every box that tell() or ask() opens over its window (or a window that window owns)
// while it lives, for tests: the box is made as it would be shown, handed to `answer`, never shown, and the button
// returned is the answer. tell() then gives it to `answered` from the event loop, as a user's click would come.
class BoxAnswerer : public QObject {
    Q_OBJECT
public:
    using Answer = std::function<QMessageBox::StandardButton(const QMessageBox& box)>;
    // Owned by `window`.
    BoxAnswerer(QWidget* window, Answer answer);

    QMessageBox::StandardButton answer(const QMessageBox& box) const { return answer_(box); }

private:
    Answer answer_;
};

} // namespace qx
