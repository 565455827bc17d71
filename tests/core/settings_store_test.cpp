// The shared settings store: first run, case, freshness across processes, and damaged or unwritable files.
#include "core/settings_store.h"
#include "tests/support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace qx;
using qx::test::readFile;
using qx::test::writeFile;

class SettingsStoreTest : public test::TempDirTest {
protected:
    QString path() const { return file(QStringLiteral("Quadrantix/Quadrantix.ini")); }
    QStringList leftovers() const {
        return QDir(file(QStringLiteral("Quadrantix"))).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

TEST_F(SettingsStoreTest, FirstRunWritesItsValuesInOrderAsReadableIni) {
    SettingsStore store(path());
    store.firstRunInit();
    EXPECT_EQ(readFile(path()), QByteArray("[Opzioni]\n"
                                           "Allarme=0\n"
                                           "Big Ben=1\n"
                                           "Segnale orario=1\n"
                                           "Timer vita=0\n"
                                           "Timer vita avvio=\n"
                                           "Timer vita contati=\n"
                                           "Avvio=Quadrantix\n"
                                           "Esegui auto=0\n"
                                           "\n"
                                           "[Allarme]\n"
                                           "Ore=0\n"
                                           "Minuti=0\n"
                                           "Messaggio=\n"));
    EXPECT_EQ(store.read(keys::Avvio), QStringLiteral("Quadrantix"));

    // A later start with "Big Ben" present writes nothing.
    store.write(keys::TimerVita, QStringLiteral("12345"));
    const QByteArray before = readFile(path());
    SettingsStore(path()).firstRunInit();
    EXPECT_EQ(readFile(path()), before);
}

TEST_F(SettingsStoreTest, LosingBigBenResetsEveryFirstRunValue) {
    QDir().mkpath(file(QStringLiteral("Quadrantix")));
    writeFile(path(), "[Opzioni]\nAllarme=1\nTimer vita=999\nTimer vita avvio=b007\nTimer vita contati=5\nAvvio=Mini\n"
                      "[Allarme]\nOre=07\n");
    SettingsStore store(path());
    store.firstRunInit();
    EXPECT_EQ(store.read(keys::Allarme), QStringLiteral("0"));
    EXPECT_EQ(store.read(keys::TimerVita), QStringLiteral("0"));
    EXPECT_EQ(store.read(keys::TimerVitaAvvio), QString()) << "the boot the old total counted is forgotten";
    EXPECT_EQ(store.read(keys::TimerVitaContati), QString());
    EXPECT_EQ(store.read(keys::AllarmeOre), QStringLiteral("0"));
    EXPECT_EQ(store.read(keys::Avvio), QStringLiteral("Quadrantix"));
    EXPECT_EQ(store.read(keys::BigBen), QStringLiteral("1"));
}

TEST_F(SettingsStoreTest, KeysMatchWithoutCaseAndValuesKeepTheirs) {
    SettingsStore store(path());
    EXPECT_EQ(store.read(u"Opzioni", u"Esegui Auto"), QString()) << "absent key, absent file";
    EXPECT_FALSE(QFile::exists(path())) << "reading never creates the file";
    store.write(u"Opzioni", u"Esegui auto", QStringLiteral("1"));
    EXPECT_EQ(store.read(u"opzioni", u"Esegui Auto"), QStringLiteral("1"));
    store.write(u"OPZIONI", u"ESEGUI AUTO", QStringLiteral("Sì"));
    EXPECT_EQ(store.read(u"Opzioni", u"esegui auto"), QStringLiteral("Sì"));
    EXPECT_EQ(readFile(path()), QByteArray("[Opzioni]\nEsegui auto=Sì\n"));
    // The three "Messaggio" keys are distinct entries.
    store.write(keys::Promemoria, QStringLiteral("a"));
    store.write(keys::AllarmeMessaggio, QStringLiteral("b"));
    store.write(keys::ContoMessaggio, QStringLiteral("c"));
    EXPECT_EQ(store.read(keys::Promemoria) + store.read(keys::AllarmeMessaggio) + store.read(keys::ContoMessaggio),
              QStringLiteral("abc"));
}

TEST_F(SettingsStoreTest, EveryReadSeesTheLatestWriteOfAnotherWriter) {
    SettingsStore reader(path()), writer(path());
    // Same-length values written back to back: the case where size and time alone would not show the change.
    for (int i = 0; i < 200; ++i) {
        const QString v = QString::number(100 + i % 10);
        writer.write(u"Opzioni", u"Allarme", v);
        ASSERT_EQ(reader.read(u"Opzioni", u"Allarme"), v) << "stale read at write " << i;
    }
    QFile::remove(path());
    EXPECT_EQ(reader.read(u"Opzioni", u"Allarme"), QString()) << "a removed file reads as empty";
}

TEST_F(SettingsStoreTest, ConcurrentProcessesLoseNoWrite) {
    QProcess a, b;
    a.start(QStringLiteral(QX_STORE_WRITER), {path(), QStringLiteral("a"), QStringLiteral("10000")});
    b.start(QStringLiteral(QX_STORE_WRITER), {path(), QStringLiteral("b"), QStringLiteral("10000")});
    ASSERT_TRUE(a.waitForFinished(300'000));
    ASSERT_TRUE(b.waitForFinished(300'000));
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
    SettingsStore store(path());
    for (int k = 0; k < 50; ++k) {
        const QString expected = QString::number(k == 0 ? 10000 : 9950 + k); // the last i with i % 50 == k
        EXPECT_EQ(store.read(u"Prova", QStringLiteral("a%1").arg(k)), expected);
        EXPECT_EQ(store.read(u"Prova", QStringLiteral("b%1").arg(k)), expected);
    }
    EXPECT_EQ(leftovers(),
              QStringList{QStringLiteral("Quadrantix.ini")} + QStringList{QStringLiteral("Quadrantix.ini.lock")});
}

TEST_F(SettingsStoreTest, DamagedFileKeepsEveryReadableKeyAcrossAWrite) {
    QDir().mkpath(file(QStringLiteral("Quadrantix")));
    static const char bytes[] = "[Opzioni]\nBig Ben=1\n\xff\xfe\x00garbage\nAvvio=Mini\n[Allarme\nOre=\xc3(7\n";
    const QByteArray damaged(bytes, sizeof bytes - 1);
    writeFile(path(), damaged);
    SettingsStore store(path());
    EXPECT_EQ(store.read(keys::Avvio), QStringLiteral("Mini"));
    EXPECT_TRUE(store.write(keys::SegnaleOrario, QStringLiteral("0")));
    EXPECT_EQ(store.read(keys::Avvio), QStringLiteral("Mini"));
    EXPECT_EQ(store.read(keys::BigBen), QStringLiteral("1"));
    EXPECT_EQ(store.read(keys::SegnaleOrario), QStringLiteral("0"));
    EXPECT_TRUE(readFile(path()).contains(QByteArray("\xff\xfe\x00garbage\n", 11))) << "unreadable lines are kept";
}

TEST_F(SettingsStoreTest, StoreThatIsADirectoryReadsEmptyAndRefusesWrites) {
    QDir().mkpath(path());
    SettingsStore store(path());
    EXPECT_EQ(store.read(keys::Avvio), QString());
    EXPECT_FALSE(store.write(keys::Avvio, QStringLiteral("Mini")));
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(SettingsStoreTest, FullDiskLeavesThePreviousFileWhole) {
    SettingsStore store(path());
    store.firstRunInit();
    const QByteArray before = readFile(path());
    // A file-size limit makes the next write fail part-way, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool wrote = store.write(keys::AllarmeMessaggio, QString(4096, QLatin1Char('m')));
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(wrote);
    EXPECT_EQ(readFile(path()), before);
    EXPECT_EQ(store.read(keys::AllarmeMessaggio), QString());
    EXPECT_EQ(leftovers(),
              QStringList{QStringLiteral("Quadrantix.ini")} + QStringList{QStringLiteral("Quadrantix.ini.lock")});
}

TEST_F(SettingsStoreTest, ReadOnlyFolderLeavesThePreviousFileWhole) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    SettingsStore store(path());
    store.firstRunInit();
    const QByteArray before = readFile(path());
    QFile::setPermissions(file(QStringLiteral("Quadrantix")), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(store.write(keys::Avvio, QStringLiteral("Mini")));
    QFile::setPermissions(file(QStringLiteral("Quadrantix")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readFile(path()), before);
}

TEST_F(SettingsStoreTest, SymlinkedStoreIsWrittenThroughTheLink) {
    QDir().mkpath(file(QStringLiteral("Quadrantix")));
    writeFile(file(QStringLiteral("dotfiles.ini")), "[Opzioni]\nAvvio=Mini\n");
    QFile::link(file(QStringLiteral("dotfiles.ini")), path());
    SettingsStore store(path());
    store.write(keys::Avvio, QStringLiteral("Digitale"));
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(readFile(file(QStringLiteral("dotfiles.ini"))), QByteArray("[Opzioni]\nAvvio=Digitale\n"));
}
