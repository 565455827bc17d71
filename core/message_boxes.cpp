// The message boxes of every window: what they say and ask, how they are shown, and who answers them in tests.
#include "core/message_boxes.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QPointer>
#include <QSpacerItem>
#include <QWidget>

namespace qx {

namespace {
QMessageBox* make(QWidget* parent, const Message& message) {
    auto* box = new QMessageBox(message.icon, message.title, message.text, message.buttons, parent);
    box->setObjectName(QLatin1String(message.name));
    box->setTextFormat(Qt::PlainText);
    if (message.mustBeSeen) {
        // Room for the title in a bold face and for the frame's buttons.
        QFont bold = box->font();
        bold.setBold(true);
        if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
            grid->addItem(new QSpacerItem(QFontMetrics(bold).horizontalAdvance(box->windowTitle()) + 120, 0,
                                          QSizePolicy::Minimum, QSizePolicy::Fixed),
                          grid->rowCount(), 0, 1, grid->columnCount());
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    return box;
}

// The answerer of the window `parent` belongs to, or null.
const BoxAnswerer* answererFor(const QWidget* parent) {
    for (const QWidget* w = parent; w; w = w->parentWidget())
        if (const auto* answerer = w->findChild<BoxAnswerer*>(QString(), Qt::FindDirectChildrenOnly))
            return answerer;
    return nullptr;
}
} // namespace

BoxAnswerer::BoxAnswerer(QWidget* window, Answer answer) : QObject(window), answer_(std::move(answer)) {}

QMessageBox* tell(QWidget* parent, const Message& message, Answered answered) {
    QMessageBox* box = make(parent, message);
    if (const BoxAnswerer* answerer = answererFor(parent)) {
        const QMessageBox::StandardButton answer = answerer->answer(*box);
        delete box;
        if (answered)
            QMetaObject::invokeMethod(
                parent, [answered = std::move(answered), answer] { answered(answer); }, Qt::QueuedConnection);
        return nullptr;
    }
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (answered)
        QObject::connect(box, &QMessageBox::finished, parent, [answered = std::move(answered)](int result) {
            answered(QMessageBox::StandardButton(result));
        });
    box->setWindowModality(Qt::WindowModal);
    box->open();
    return box;
}

QMessageBox::StandardButton ask(QWidget* parent, const Message& message) {
    QPointer<QMessageBox> box = make(parent, message);
    if (const BoxAnswerer* answerer = answererFor(parent)) {
        const QMessageBox::StandardButton answer = answerer->answer(*box);
        delete box;
        return answer;
    }
    const int answer = box->exec();
    if (!box)
        return QMessageBox::NoButton;
    delete box;
    return QMessageBox::StandardButton(answer);
}

} // namespace qx
