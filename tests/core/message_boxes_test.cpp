// The message boxes: what an answerer is handed in the user's place, and a question whose window goes away.
#include "core/message_boxes.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

using namespace qx;

namespace {

QList<QMessageBox*> visibleBoxes() {
    QList<QMessageBox*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            found << box;
    return found;
}

struct Asked {
    QString name, title, text;
    Qt::TextFormat format;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QWidget* parent;
};

TEST(MessageBoxesTest, AnAnswererIsHandedTheBoxOfItsWindowAsItWouldShowAndNothingShows) {
    QWidget window;
    auto* dialog = new QDialog(&window); // a dialog the window owns, as the countdown dialog is the face's
    std::vector<Asked> asked;
    new BoxAnswerer(&window, [&](const QMessageBox& box) {
        asked.push_back({box.objectName(), box.windowTitle(), box.text(), box.textFormat(), box.icon(),
                         box.standardButtons(), box.parentWidget()});
        return QMessageBox::Yes;
    });

    EXPECT_EQ(ask(dialog, {.name = "domanda",
                           .text = QStringLiteral("Continuare <b>davvero</b>?"),
                           .buttons = QMessageBox::Yes | QMessageBox::No}),
              QMessageBox::Yes);
    std::vector<QMessageBox::StandardButton> told;
    EXPECT_EQ(tell(&window,
                   {.name = "avviso",
                    .icon = QMessageBox::Warning,
                    .text = QStringLiteral("Fatto"),
                    .title = QStringLiteral("Titolo proprio")},
                   [&](QMessageBox::StandardButton answer) { told.push_back(answer); }),
              nullptr)
        << "nothing on screen";
    EXPECT_TRUE(told.empty()) << "the answer comes from the event loop, as a click would, not inside tell()";
    QCoreApplication::processEvents();
    EXPECT_EQ(told, std::vector{QMessageBox::Yes});
    EXPECT_TRUE(visibleBoxes().isEmpty());

    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].name, QStringLiteral("domanda"));
    EXPECT_EQ(asked[0].title, programTitle()) << "a box without a title of its own carries the program's";
    EXPECT_EQ(asked[0].text, QStringLiteral("Continuare <b>davvero</b>?"));
    EXPECT_EQ(asked[0].format, Qt::PlainText);
    EXPECT_EQ(asked[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(asked[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(asked[0].parent, dialog);
    EXPECT_EQ(asked[1].title, QStringLiteral("Titolo proprio"));
    EXPECT_EQ(asked[1].icon, QMessageBox::Warning);
    EXPECT_EQ(asked[1].buttons, QMessageBox::Ok);

    // Another window's boxes are the user's to answer.
    QWidget other;
    QMessageBox* shown = tell(&other, {.name = "altro", .text = QStringLiteral("Altro")});
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(visibleBoxes(), QList<QMessageBox*>{shown});
    EXPECT_EQ(shown->windowModality(), Qt::WindowModal) << "modal for its window only";
    EXPECT_EQ(asked.size(), 2u);
    QPointer<QMessageBox> gone(shown);
    shown->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull()) << "deleted once closed";
}

// A face deleted while its question waits (its box goes with it) must not be touched afterwards: the answer is
// NoButton, and the box is not deleted a second time.
TEST(MessageBoxesTest, AQuestionWhoseWindowIsDeletedWhileItWaitsAnswersNoButton) {
    auto* window = new QWidget;
    window->show();
    QObject context;
    QTimer::singleShot(0, &context, [window] { delete window; });
    EXPECT_EQ(
        ask(window,
            {.name = "domanda", .text = QStringLiteral("Continuare?"), .buttons = QMessageBox::Yes | QMessageBox::No}),
        QMessageBox::NoButton);
    EXPECT_TRUE(visibleBoxes().isEmpty());
}

} // namespace
