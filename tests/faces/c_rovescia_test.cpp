// The countdown dialog: which time texts it takes, its defaults, what it stores and when it asks the face to start.
#include "core/settings_store.h"
#include "faces/c_rovescia.h"
#include "tests/support/row_name.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

#include <optional>

using namespace qx;

namespace {

struct TimeText {
    const char* name;
    const char* text;
    std::optional<std::int64_t> seconds;
};

void PrintTo(const TimeText& row, std::ostream* os) {
    *os << row.name;
}

const TimeText kTimeTexts[] = {
    {"one and a half minutes", "00:01:30", 90},
    {"zero is a time", "00:00:00", 0},
    {"an hour and a minute", "01:01:00", 3660},
    {"the separators are not looked at", "99x59y59", 359'999},
    {"the longest", "99:59:59", 359'999},
    {"placeholder left as it was", "hh:mm:ss", std::nullopt},
    {"seven characters", "1:00:00", std::nullopt},
    {"nine characters", "100:00:00", std::nullopt},
    {"empty", "", std::nullopt},
    {"sixty minutes", "00:60:00", std::nullopt},
    {"seventy-five seconds", "00:00:75", std::nullopt},
    {"letters", "ab:cd:ef", std::nullopt},
    {"a sign in the hours", "-1:00:00", std::nullopt},
    {"a sign in the seconds", "00:00:+5", std::nullopt},
    {"a space before the hours", " 1:00:00", std::nullopt},
    {"a space in the minutes", "00: 5:00", std::nullopt},
    {"a decimal point in the hours", "1.:00:00", std::nullopt},
    {"a decimal point in the seconds", "00:00:.5", std::nullopt},
    {"digits of another script", "00:00:\xd9\xa5\xd9\xa5", std::nullopt},
    {"a hexadecimal prefix", "0x:00:00", std::nullopt},
};

class CountdownTextTest : public ::testing::TestWithParam<TimeText> {};

TEST_P(CountdownTextTest, IsATimeOnlyWhenItsThreeNumbersAreTwoDigitsEach) {
    EXPECT_EQ(countdownSeconds(QString::fromUtf8(GetParam().text)), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(Texts, CountdownTextTest, ::testing::ValuesIn(kTimeTexts), test::RowName());

class CRovesciaTest : public test::TempDirTest {
protected:
    CRovesciaTest() : store(file(QStringLiteral("q.ini"))) {}
    ~CRovesciaTest() override {
        delete dialog.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    CRovescia* open(SettingsStore& into) {
        dialog = new CRovescia(into, nullptr);
        QObject::connect(dialog, &CRovescia::avvia, dialog,
                         [this](qint64 seconds, const QString& action, const QString& message) {
                             started << seconds;
                             ends << QStringList{action, message};
                             EXPECT_FALSE(dialog->isVisible()) << "the dialog closes before the face starts";
                         });
        dialog->show();
        return dialog;
    }
    CRovescia* open() { return open(store); }
    template <typename T> T* child(const char* name) { return dialog->template findChild<T*>(QLatin1String(name)); }
    void start(const QString& time) {
        child<QLineEdit>("Text1")->setText(time);
        child<QPushButton>("Command1")->click();
    }
    QMessageBox* box(const char* name) {
        auto* b = dialog ? dialog->findChild<QMessageBox*>(QLatin1String(name)) : nullptr;
        return b && b->isVisible() ? b : nullptr;
    }

    SettingsStore store;
    QPointer<CRovescia> dialog;
    QList<qint64> started;
    QList<QStringList> ends; // the end action and message each start carried
};

TEST_F(CRovesciaTest, OpensWithItsOwnDefaultsWhateverIsStored) {
    store.write(keys::QuandoZero, QStringLiteral("Arresta"));
    store.write(keys::ContoMessaggio, QStringLiteral("vecchio"));
    open();
    EXPECT_EQ(dialog->objectName(), QStringLiteral("c_rovescia"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Quadrantix - Conto alla rovescia"));
    EXPECT_EQ(dialog->size(), QSize(354, 228));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << "a fixed frame";
    EXPECT_FALSE(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(dialog->isModal()) << "it does not block the face";

    auto* strip = child<QLabel>("Image1");
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->geometry(), QRect(16, 0, 40, 227));
    EXPECT_FALSE(strip->pixmap().isNull());

    auto* text1 = child<QLineEdit>("Text1");
    EXPECT_EQ(text1->text(), QStringLiteral("hh:mm:ss"));
    EXPECT_EQ(text1->selectedText(), QStringLiteral("hh:mm:ss")) << "typing replaces the placeholder";
    EXPECT_EQ(text1->font().pixelSize(), 16) << "12 points";
    const struct {
        const char* name;
        const char* caption;
    } captions[] = {{"Label1", "Inizia il conteggio da:"},
                    {"Label2", "Alla fine del conteggio:"},
                    {"Label3", "Messaggio:"},
                    {"Option1", "Arresta il sistema"},
                    {"Option2", "Riavvia il sistema"},
                    {"Option3", "Visualizza un messaggio"},
                    {"Command1", "&Avvia conto alla rovescia"}};
    for (const auto& c : captions) {
        QWidget* w = child<QWidget>(c.name);
        ASSERT_NE(w, nullptr) << c.name;
        const QString text = w->property("text").toString();
        EXPECT_EQ(text, QString::fromUtf8(c.caption)) << c.name;
        EXPECT_GE(w->width(), w->sizeHint().width()) << c.name << ": its caption fits";
        EXPECT_LE(w->geometry().right(), dialog->width() - 1) << c.name << ": inside the dialog";
    }
    EXPECT_TRUE(child<QRadioButton>("Option3")->isChecked());
    EXPECT_FALSE(child<QRadioButton>("Option1")->isChecked() || child<QRadioButton>("Option2")->isChecked());
    EXPECT_TRUE(child<QLineEdit>("Text2")->text().isEmpty());
    EXPECT_TRUE(child<QLineEdit>("Text2")->isEnabled());
    EXPECT_TRUE(child<QLabel>("Label3")->isEnabled());
}

// What our fonts make of the layout: no caption runs into the control beside it or to the dialog's edge.
TEST_F(CRovesciaTest, NoCaptionRunsIntoAnotherControlOrTheDialogsEdge) {
    open();
    constexpr int kGap = 4; // the least room between two controls of a row, and before the dialog's right edge
    const char* const names[] = {"Label1",  "Text1",  "Label2", "Option1", "Option2",
                                 "Option3", "Label3", "Text2",  "Command1"};
    std::vector<QWidget*> controls;
    for (const char* name : names) {
        controls.push_back(child<QWidget>(name));
        ASSERT_NE(controls.back(), nullptr) << name;
    }
    const auto where = [](const QWidget* w) {
        const QRect g = w->geometry();
        return QStringLiteral("%1 at %2,%3 %4x%5 (wants %6)")
            .arg(w->objectName())
            .arg(g.x())
            .arg(g.y())
            .arg(g.width())
            .arg(g.height())
            .arg(w->sizeHint().width())
            .toStdString();
    };
    for (const QWidget* a : controls) {
        if (!qobject_cast<const QLineEdit*>(a)) {
            EXPECT_GE(a->width(), a->sizeHint().width()) << where(a) << ": its caption fits";
        }
        EXPECT_LE(a->geometry().right(), dialog->width() - 1 - kGap) << where(a) << ": clear of the edge";
        for (const QWidget* b : controls) {
            if (a == b)
                continue;
            const QRect ga = a->geometry(), gb = b->geometry();
            EXPECT_FALSE(ga.intersects(gb)) << where(a) << " overlaps " << where(b);
            const bool sameRow = ga.top() <= gb.bottom() && gb.top() <= ga.bottom();
            if (sameRow && ga.left() < gb.left()) {
                EXPECT_GE(gb.left() - ga.right() - 1, kGap) << where(a) << " runs up to " << where(b);
            }
        }
    }
}

TEST_F(CRovesciaTest, TheMessageFieldIsForTheMessageActionAndKeepsItsText) {
    open();
    child<QLineEdit>("Text2")->setText(QStringLiteral("tè pronto"));
    for (const char* option : {"Option1", "Option3", "Option2", "Option3"}) {
        child<QRadioButton>(option)->setChecked(true);
        const bool message = qstrcmp(option, "Option3") == 0;
        EXPECT_EQ(child<QLineEdit>("Text2")->isEnabled(), message) << option;
        EXPECT_EQ(child<QLabel>("Label3")->isEnabled(), message) << option;
        EXPECT_EQ(child<QLineEdit>("Text2")->text(), QStringLiteral("tè pronto")) << option;
        EXPECT_EQ(int(child<QRadioButton>("Option1")->isChecked()) + child<QRadioButton>("Option2")->isChecked() +
                      child<QRadioButton>("Option3")->isChecked(),
                  1)
            << "one end action at a time";
    }
}

struct InvalidTimeRow {
    const char* name;
    const char* text;
};

class CRovesciaInvalidTimeTest : public CRovesciaTest, public ::testing::WithParamInterface<InvalidTimeRow> {};

TEST_P(CRovesciaInvalidTimeTest, IsSaidSoAndNothingStartsOrIsStored) {
    open();
    start(QString::fromUtf8(GetParam().text));
    QMessageBox* warning = box("tempo_non_valido");
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(warning->text(), QStringLiteral("Inserire un tempo valido"));
    EXPECT_EQ(warning->windowTitle(), QStringLiteral("Quadrantix"));
    EXPECT_EQ(warning->icon(), QMessageBox::Warning);
    EXPECT_EQ(warning->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(warning->windowModality(), Qt::WindowModal) << "holds the dialog only";
    warning->button(QMessageBox::Ok)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog && dialog->isVisible()) << "the dialog stays open";
    EXPECT_TRUE(started.isEmpty());
    EXPECT_TRUE(store.read(keys::QuandoZero).isEmpty());
    EXPECT_TRUE(store.read(keys::ContoMessaggio).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Texts, CRovesciaInvalidTimeTest,
                         ::testing::Values(InvalidTimeRow{"placeholder left as it was", "hh:mm:ss"},
                                           InvalidTimeRow{"a sign in the hours", "-1:00:00"},
                                           InvalidTimeRow{"a space before the hours", " 1:00:00"},
                                           InvalidTimeRow{"a decimal point in the hours", "1.:00:00"},
                                           InvalidTimeRow{"sixty minutes", "00:60:00"},
                                           InvalidTimeRow{"seven characters", "1:00:00"}),
                         test::RowName());

struct EndActionRow {
    const char* name; // the option button
    const char* stored;
};

class CRovesciaStartTest : public CRovesciaTest, public ::testing::WithParamInterface<EndActionRow> {};

TEST_P(CRovesciaStartTest, StoresTheActionAndTheMessageClosesAndThenAsksTheFace) {
    const EndActionRow& c = GetParam();
    open();
    child<QLineEdit>("Text2")->setText(QStringLiteral("  Pausa; caffè = 100%  "));
    child<QRadioButton>(c.name)->setChecked(true);
    start(QStringLiteral("02:03:04"));
    EXPECT_EQ(started, QList<qint64>{2 * 3600 + 3 * 60 + 4});
    EXPECT_EQ(store.read(keys::QuandoZero), QLatin1String(c.stored));
    EXPECT_EQ(store.read(keys::ContoMessaggio), QStringLiteral("  Pausa; caffè = 100%  "))
        << "stored whatever the end action, exactly";
    EXPECT_EQ(ends.value(0), (QStringList{QLatin1String(c.stored), QStringLiteral("  Pausa; caffè = 100%  ")}))
        << "the face is given the end it keeps to, whatever is stored later";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull()) << "closed and gone";
}

INSTANTIATE_TEST_SUITE_P(EndActions, CRovesciaStartTest,
                         ::testing::Values(EndActionRow{"Option1", "Arresta"}, EndActionRow{"Option2", "Riavvia"},
                                           EndActionRow{"Option3", "Messaggio"}),
                         test::RowName());

TEST_F(CRovesciaTest, ClosingItAnyOtherWayStartsNothing) {
    open();
    child<QLineEdit>("Text1")->setText(QStringLiteral("00:00:10"));
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    open();
    child<QLineEdit>("Text1")->setText(QStringLiteral("00:00:10"));
    dialog->reject(); // Escape
    EXPECT_TRUE(started.isEmpty());
    EXPECT_TRUE(store.read(keys::QuandoZero).isEmpty());
}

// A write that fails would leave an earlier end action in the store: the countdown would shut the machine down where
// the user asked for a message.
TEST_F(CRovesciaTest, AStoreThatCannotBeWrittenIsSaidSoAndNothingStarts) {
    test::writeFile(file(QStringLiteral("not-a-folder")), "x");
    SettingsStore unwritable(file(QStringLiteral("not-a-folder/q.ini")));
    open(unwritable);
    start(QStringLiteral("00:00:05"));
    QMessageBox* failed = box("salvataggio_fallito");
    ASSERT_NE(failed, nullptr);
    EXPECT_TRUE(failed->text().startsWith(QStringLiteral("Il conto alla rovescia non è stato avviato")));
    EXPECT_TRUE(failed->text().contains(QStringLiteral("not-a-folder/q.ini")));
    EXPECT_EQ(failed->textFormat(), Qt::PlainText);
    EXPECT_TRUE(dialog->isVisible()) << "the dialog stays open";
    EXPECT_TRUE(started.isEmpty());
    failed->close();
}

TEST_F(CRovesciaTest, SettingsHeldByAnotherProgramAreSaidToBeBusyAndNothingStarts) {
    ASSERT_TRUE(store.write(keys::QuandoZero, QStringLiteral("Arresta")));
    const int lock = ::open(QFile::encodeName(store.path() + QStringLiteral(".lock")).constData(),
                            O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    open();
    start(QStringLiteral("00:00:05"));
    ::close(lock);
    QMessageBox* failed = box("salvataggio_fallito");
    ASSERT_NE(failed, nullptr);
    EXPECT_TRUE(failed->text().contains(QStringLiteral("occupato da un altro programma")))
        << failed->text().toStdString();
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(store.read(keys::QuandoZero), QStringLiteral("Arresta")) << "nothing half-written";
    failed->close();
}

TEST_F(CRovesciaTest, TheMessageIsKeptWholeWhateverItsLength) {
    open();
    const QString message(40000, QLatin1Char('m'));
    child<QLineEdit>("Text2")->setText(message);
    start(QStringLiteral("00:00:05"));
    EXPECT_EQ(store.read(keys::ContoMessaggio).size(), message.size());
}

} // namespace
