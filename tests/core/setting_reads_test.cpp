// The typed reads of the store: each value form's rule on the values a person may write by hand.
#include "core/settings_store.h"
#include "core/settings_watcher.h"
#include "tests/support/row_name.h"
#include "tests/support/temp_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <limits>
#include <optional>

using namespace qx;

namespace {

// A value as stored (absent: the key is not in the file), and what its key's typed read makes of it, written as
// text: "on"/"off" for a flag or a check box, the number, the face's or the action's name, or "none".
struct ReadRow {
    const char* name;
    ValueForm form;
    std::optional<const char*> stored;
    const char* read;
};

QString none() {
    return QStringLiteral("none");
}

template <typename T> QString shown(const std::optional<T>& n) {
    return n ? QString::number(*n) : none();
}

// Each form read through a key of the table that has it, from the store or from a transaction on it.
template <typename Reader> QString typedRead(const TypedReads<Reader>& store, ValueForm form) {
    switch (form) {
    case ValueForm::Flag:
        return store.flag(keys::Allarme) ? QStringLiteral("on") : QStringLiteral("off");
    case ValueForm::Check:
        return store.checked(keys::EseguiAuto) ? QStringLiteral("on") : QStringLiteral("off");
    case ValueForm::Hour:
        return shown(store.hour(keys::AllarmeOre));
    case ValueForm::Minute:
        return shown(store.minute(keys::AllarmeMinuti));
    case ValueForm::Face: {
        const std::optional<FaceKind> face = store.face(keys::Avvio);
        return face ? faceName(*face) : none();
    }
    case ValueForm::EndAction: {
        const std::optional<CountdownEnd> action = store.endAction(keys::QuandoZero);
        return action ? countdownEndName(*action) : none();
    }
    case ValueForm::Count:
        return shown(store.count(keys::TimerVita));
    case ValueForm::Text:
        return store.text(keys::Promemoria);
    }
    return {};
}

const SettingKey& keyOf(ValueForm form) {
    switch (form) {
    case ValueForm::Flag:
        return keys::Allarme;
    case ValueForm::Check:
        return keys::EseguiAuto;
    case ValueForm::Hour:
        return keys::AllarmeOre;
    case ValueForm::Minute:
        return keys::AllarmeMinuti;
    case ValueForm::Face:
        return keys::Avvio;
    case ValueForm::EndAction:
        return keys::QuandoZero;
    case ValueForm::Count:
        return keys::TimerVita;
    case ValueForm::Text:
        break;
    }
    return keys::Promemoria;
}

class TypedReadTest : public test::TempDirTest, public ::testing::WithParamInterface<ReadRow> {};

TEST_P(TypedReadTest, ReadsTheValueByItsKeysForm) {
    const ReadRow& row = GetParam();
    SettingsStore store(file(QStringLiteral("q.ini")));
    const SettingKey& key = keyOf(row.form);
    ASSERT_EQ(key.form, row.form) << "the key table gives the key this form";
    if (row.stored) {
        ASSERT_TRUE(store.write(key, QString::fromUtf8(*row.stored)));
    }
    EXPECT_EQ(typedRead(store, row.form), QString::fromUtf8(row.read));
    // A transaction reads alike (the lifetime total is read and rewritten through one).
    QString inTransaction;
    ASSERT_TRUE(store.update([&](SettingsStore::Transaction& t) { inTransaction = typedRead(t, row.form); }));
    EXPECT_EQ(inTransaction, QString::fromUtf8(row.read));
}

INSTANTIATE_TEST_SUITE_P(
    Flags, TypedReadTest,
    ::testing::Values(ReadRow{"1 is on", ValueForm::Flag, "1", "on"}, ReadRow{"0 is off", ValueForm::Flag, "0", "off"},
                      ReadRow{"absent is off", ValueForm::Flag, std::nullopt, "off"},
                      ReadRow{"empty is off", ValueForm::Flag, "", "off"},
                      ReadRow{"a leading zero is off", ValueForm::Flag, "01", "off"},
                      ReadRow{"a leading space is off", ValueForm::Flag, " 1", "off"},
                      ReadRow{"a trailing space is off", ValueForm::Flag, "1 ", "off"},
                      ReadRow{"a decimal one is off", ValueForm::Flag, "1.0", "off"},
                      ReadRow{"a plus sign is off", ValueForm::Flag, "+1", "off"},
                      ReadRow{"one in exponent form is off", ValueForm::Flag, "1e0", "off"},
                      ReadRow{"a number followed by letters is off", ValueForm::Flag, "1abc", "off"},
                      ReadRow{"minus one is off", ValueForm::Flag, "-1", "off"},
                      ReadRow{"a full-width one is off", ValueForm::Flag, "\xef\xbc\x91", "off"},
                      ReadRow{"a word is off", ValueForm::Flag, "true", "off"},
                      ReadRow{"check 1 is on", ValueForm::Check, "1", "on"},
                      ReadRow{"check 0 is off", ValueForm::Check, "0", "off"},
                      ReadRow{"absent check is off", ValueForm::Check, std::nullopt, "off"},
                      ReadRow{"check with a leading zero is on", ValueForm::Check, "01", "on"},
                      ReadRow{"check with blanks around is on", ValueForm::Check, " 1 ", "on"},
                      ReadRow{"check with a plus sign is on", ValueForm::Check, "+1", "on"},
                      ReadRow{"a decimal check is off", ValueForm::Check, "1.0", "off"},
                      ReadRow{"check followed by letters is off", ValueForm::Check, "1abc", "off"},
                      ReadRow{"check 2 is off", ValueForm::Check, "2", "off"}),
    test::RowName());

INSTANTIATE_TEST_SUITE_P(
    AlarmTime, TypedReadTest,
    ::testing::Values(ReadRow{"hour 07", ValueForm::Hour, "07", "7"}, ReadRow{"hour 00", ValueForm::Hour, "00", "0"},
                      ReadRow{"hour 23", ValueForm::Hour, "23", "23"},
                      ReadRow{"hour 24 is none", ValueForm::Hour, "24", "none"},
                      ReadRow{"one digit is none as the first run writes it", ValueForm::Hour, "0", "none"},
                      ReadRow{"hour 7 without its zero is none", ValueForm::Hour, "7", "none"},
                      ReadRow{"hour with a leading space is none", ValueForm::Hour, " 7", "none"},
                      ReadRow{"hour with a sign is none", ValueForm::Hour, "+7", "none"},
                      ReadRow{"three digits are none", ValueForm::Hour, "007", "none"},
                      ReadRow{"Arabic-Indic digits are none", ValueForm::Hour, "\xd9\xa0\xd9\xa7", "none"},
                      ReadRow{"absent hour is none", ValueForm::Hour, std::nullopt, "none"},
                      ReadRow{"minute 00", ValueForm::Minute, "00", "0"},
                      ReadRow{"minute 59", ValueForm::Minute, "59", "59"},
                      ReadRow{"minute 60 is none", ValueForm::Minute, "60", "none"},
                      ReadRow{"minute 5 is none", ValueForm::Minute, "5", "none"},
                      ReadRow{"minute 4x is none", ValueForm::Minute, "4x", "none"}),
    test::RowName());

INSTANTIATE_TEST_SUITE_P(Names, TypedReadTest,
                         ::testing::Values(ReadRow{"face Mini", ValueForm::Face, "Mini", "Mini"},
                                           ReadRow{"face Quadrantix", ValueForm::Face, "Quadrantix", "Quadrantix"},
                                           ReadRow{"lower case names no face", ValueForm::Face, "mini", "none"},
                                           ReadRow{"a space before names no face", ValueForm::Face, " Mini", "none"},
                                           ReadRow{"the window's name is no face", ValueForm::Face, "Orologio", "none"},
                                           ReadRow{"empty names no face", ValueForm::Face, "", "none"},
                                           ReadRow{"Arresta", ValueForm::EndAction, "Arresta", "Arresta"},
                                           ReadRow{"Riavvia", ValueForm::EndAction, "Riavvia", "Riavvia"},
                                           ReadRow{"Messaggio", ValueForm::EndAction, "Messaggio", "Messaggio"},
                                           ReadRow{"lower case is no action", ValueForm::EndAction, "arresta", "none"},
                                           ReadRow{"a trailing space is no action", ValueForm::EndAction, "Riavvia ",
                                                   "none"},
                                           ReadRow{"empty is no action", ValueForm::EndAction, "", "none"}),
                         test::RowName());

INSTANTIATE_TEST_SUITE_P(
    CountsAndText, TypedReadTest,
    ::testing::Values(ReadRow{"count 0", ValueForm::Count, "0", "0"},
                      ReadRow{"count with leading zeros", ValueForm::Count, "007", "7"},
                      ReadRow{"the largest count", ValueForm::Count, "18446744073709551615", "18446744073709551615"},
                      ReadRow{"one beyond 64 bits is none", ValueForm::Count, "18446744073709551616", "none"},
                      ReadRow{"a negative count is none", ValueForm::Count, "-1", "none"},
                      ReadRow{"a count with a space is none", ValueForm::Count, " 5", "none"},
                      ReadRow{"a decimal count is none", ValueForm::Count, "5.0", "none"},
                      ReadRow{"an empty count is none", ValueForm::Count, "", "none"},
                      ReadRow{"text as written", ValueForm::Text, " <b>Torno</b> subito ", " <b>Torno</b> subito "},
                      ReadRow{"absent text is empty", ValueForm::Text, std::nullopt, ""}),
    test::RowName());

// A face setting that stands for a face when empty, as "Avvio" at start-up and "Salvaschermo" in the screensaver.
class TypedStoreTest : public test::TempDirTest {};

TEST_F(TypedStoreTest, EmptyStandsForTheGivenFaceAndOtherTextForNone) {
    SettingsStore store(file(QStringLiteral("q.ini")));
    EXPECT_EQ(store.face(keys::Salvaschermo, FaceKind::Analogico), FaceKind::Analogico) << "absent";
    ASSERT_TRUE(store.write(keys::Salvaschermo, QString()));
    EXPECT_EQ(store.face(keys::Salvaschermo, FaceKind::Analogico), FaceKind::Analogico) << "empty";
    EXPECT_EQ(store.face(keys::Salvaschermo), std::nullopt) << "empty, with no face for it";
    ASSERT_TRUE(store.write(keys::Salvaschermo, QStringLiteral("Digitale")));
    EXPECT_EQ(store.face(keys::Salvaschermo, FaceKind::Analogico), FaceKind::Digitale);
    ASSERT_TRUE(store.write(keys::Salvaschermo, QStringLiteral("digitale")));
    EXPECT_EQ(store.face(keys::Salvaschermo, FaceKind::Analogico), std::nullopt);
}

// One watch serves every window that follows the store, also when it was made before the first run made the folder.
TEST_F(TypedStoreTest, OneWatcherTellsEveryFollowerOfAnotherWritersChange) {
    const QString path = file(QStringLiteral("config/Quadrantix/q.ini"));
    SettingsStore store(path);
    SettingsWatcher watcher(store);
    ASSERT_TRUE(QDir().mkpath(file(QStringLiteral("config/Quadrantix"))));
    QObject first;
    QObject second;
    int firstCalls = 0;
    int secondCalls = 0;
    watcher.follow(&first, [&] { ++firstCalls; });
    watcher.follow(&second, [&] { ++secondCalls; });

    ASSERT_TRUE(SettingsStore(path).write(keys::Allarme, QStringLiteral("1")));
    QElapsedTimer waited;
    waited.start();
    while ((firstCalls == 0 || secondCalls == 0) && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_GT(firstCalls, 0);
    EXPECT_GT(secondCalls, 0);
    EXPECT_TRUE(store.flag(keys::Allarme));
}

} // namespace
