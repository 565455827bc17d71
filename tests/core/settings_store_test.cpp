// The shared settings store: first run, case, freshness across processes, and damaged or unwritable files.
#include "core/settings_store.h"
#include "tests/support/row_name.h"
#include "tests/support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace qx;
using qx::test::readFile;
using qx::test::writeFile;

namespace {

template <typename F> double elapsedMs(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Another writer holding the store's lock (flock locks belong to the open file, so one process can stand in).
class HeldLock {
public:
    explicit HeldLock(const QString& lockPath)
        : fd_(::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        EXPECT_EQ(::flock(fd_, LOCK_EX), 0);
    }
    ~HeldLock() { release(); }
    void release() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

ino_t inode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// Peak resident memory since the last reset, in bytes (VmHWM; reset through clear_refs). -1 when not available.
bool resetPeakMemory() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.close();
    return bool(clear);
}
qint64 peakMemory() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == "VmHWM:") {
            qint64 kb = 0;
            status >> kb;
            return kb * 1024;
        }
    return -1;
}

} // namespace

class SettingsStoreTest : public test::TempDirTest {
protected:
    QString path() const { return file(QStringLiteral("Quadrantix/Quadrantix.ini")); }
    QStringList leftovers() const {
        return QDir(file(QStringLiteral("Quadrantix"))).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    void writeStore(const QByteArray& bytes) const {
        QDir().mkpath(file(QStringLiteral("Quadrantix")));
        writeFile(path(), bytes);
    }
    // Runs store writer processes (path, key prefix, writes) side by side; returns each one's slowest write in ms.
    static std::vector<double> runWriters(const std::vector<std::pair<QString, QString>>& writers,
                                          const QString& writes) {
        std::vector<std::unique_ptr<QProcess>> processes;
        for (const auto& [store, prefix] : writers) {
            processes.push_back(std::make_unique<QProcess>());
            processes.back()->start(QStringLiteral(QX_STORE_WRITER), {store, prefix, writes});
        }
        std::vector<double> slowest;
        for (auto& p : processes) {
            EXPECT_TRUE(p->waitForFinished(300'000));
            EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
            slowest.push_back(QString::fromLatin1(p->readAllStandardOutput()).section(QLatin1Char(' '), 1).toDouble());
        }
        return slowest;
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

// A start that finds first-run keys missing gives those keys, and only those, their first-run values.
struct MissingKeysRow {
    const char* name;
    QByteArray before;
    std::vector<std::pair<SettingKey, const char*>> after; // what reads back afterwards
    QByteArray kept;                                       // a line of the file that must still be there
};

class FirstRunRepairTest : public SettingsStoreTest, public ::testing::WithParamInterface<MissingKeysRow> {};

TEST_P(FirstRunRepairTest, WritesOnlyWhatIsMissing) {
    const MissingKeysRow& row = GetParam();
    writeStore(row.before);
    SettingsStore store(path());
    EXPECT_TRUE(store.firstRunInit());
    for (const auto& [key, value] : row.after)
        EXPECT_EQ(store.read(key), QString::fromUtf8(value)) << QStringView(key.key).toString().toStdString();
    const QByteArray text = readFile(path());
    EXPECT_TRUE(text.contains(row.kept)) << text.toStdString();

    // The next start owes nothing and writes nothing.
    const ino_t before = inode(path());
    EXPECT_TRUE(SettingsStore(path()).firstRunInit());
    EXPECT_EQ(inode(path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    SettingsStoreTest, FirstRunRepairTest,
    ::testing::Values(
        MissingKeysRow{"only Big Ben lost: the lifetime total and the alarm stay",
                       "[Opzioni]\nAllarme=1\nTimer vita=999\nTimer vita avvio=b007\nTimer vita contati=5\n"
                       "Avvio=Mini\n[Allarme]\nOre=07\n",
                       {{keys::BigBen, "1"},
                        {keys::Allarme, "1"},
                        {keys::TimerVita, "999"},
                        {keys::TimerVitaAvvio, "b007"},
                        {keys::TimerVitaContati, "5"},
                        {keys::Avvio, "Mini"},
                        {keys::AllarmeOre, "07"},
                        {keys::AllarmeMinuti, "0"},
                        {keys::SegnaleOrario, "1"},
                        {keys::EseguiAuto, "0"}},
                       "Timer vita=999\n"},
        MissingKeysRow{"a stray line does not silence the clock",
                       "[Opzioni]\nnota senza uguale\nAvvio=Mini\n",
                       {{keys::BigBen, "1"}, {keys::SegnaleOrario, "1"}, {keys::TimerVita, "0"}, {keys::Avvio, "Mini"}},
                       "nota senza uguale\n"},
        MissingKeysRow{"a key whose line lost its equals sign is never written over",
                       "[Opzioni]\nTimer vita 987654\nBig Ben=1\n",
                       {{keys::TimerVita, ""}, {keys::BigBen, "1"}, {keys::Avvio, "Quadrantix"}},
                       "Timer vita 987654\n"},
        MissingKeysRow{
            "keys under a broken header are never written over, the others are restored",
            "[Opzioni\nBig Ben=0\nTimer vita=987654\n",
            {{keys::BigBen, ""}, {keys::TimerVita, ""}, {keys::Avvio, "Quadrantix"}, {keys::AllarmeOre, "0"}},
            "[Opzioni\nBig Ben=0\nTimer vita=987654\n"},
        MissingKeysRow{"an empty Big Ben counts as missing",
                       "[Opzioni]\nBig Ben=\nTimer vita=5\nSegnale orario=0\n",
                       {{keys::BigBen, "1"}, {keys::TimerVita, "5"}, {keys::SegnaleOrario, "0"}},
                       "Timer vita=5\n"},
        MissingKeysRow{"a total that is missing starts again, forgetting the boot it held",
                       "[Opzioni]\nBig Ben=1\nTimer vita avvio=b007\nTimer vita contati=5\n",
                       {{keys::TimerVita, "0"}, {keys::TimerVitaAvvio, ""}, {keys::TimerVitaContati, ""}},
                       "Big Ben=1\n"}),
    qx::test::RowName());

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
    runWriters({{path(), QStringLiteral("a")}, {path(), QStringLiteral("b")}}, QStringLiteral("10000"));
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

TEST_F(SettingsStoreTest, NothingButARegularFileIsEverOpenedOrReplaced) {
    QDir().mkpath(file(QStringLiteral("Quadrantix")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
    // Run on a thread so that a store that opens the FIFO fails the test instead of hanging it.
    auto attempt = std::async(std::launch::async, [this] {
        SettingsStore store(path());
        const QString avvio = store.read(keys::Avvio);
        const bool wrote = store.write(keys::Avvio, QStringLiteral("Mini"));
        const bool initialised = store.firstRunInit();
        return avvio.isEmpty() && !wrote && !initialised;
    });
    const bool ready = attempt.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    if (!ready) { // let the blocked open go on, so that the thread can end
        const int unblock = ::open(QFile::encodeName(path()).constData(), O_WRONLY | O_NONBLOCK);
        attempt.wait();
        ::close(unblock);
    }
    ASSERT_TRUE(ready) << "the store opened a FIFO and waited for a writer";
    EXPECT_TRUE(attempt.get()) << "a FIFO reads as empty, and writes to it fail";
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(path()).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the FIFO is left alone";
    EXPECT_EQ(leftovers(), QStringList{}) << "no lock or temporary file was made for it";
}

TEST_F(SettingsStoreTest, HandWrittenHeadersAndCommentsNeverCostAKey) {
    const QByteArray handWritten = "; impostazioni scritte a mano\n"
                                   "[Opzioni] ; le mie opzioni\n"
                                   "Big Ben = 1\n"
                                   "Timer vita=123456\n"
                                   "  Allarme = 0\n"
                                   "Segnale orario=1\n"
                                   "Avvio=Mini\n"
                                   "Esegui auto=0\n"
                                   "# il resto come prima\n"
                                   "[Allarme]\n"
                                   "Ore=07\n"
                                   "Minuti=30\n"
                                   "Messaggio=Sveglia\n"
                                   "[CR] ; conto\n"
                                   "Messaggio=Fine conto\n";
    QByteArray windows = QByteArray("\xEF\xBB\xBF") + handWritten;
    windows.replace("\n", "\r\n");
    for (const QByteArray& bytes : {handWritten, windows}) {
        writeStore(bytes);
        SettingsStore store(path());
        EXPECT_TRUE(store.firstRunInit());
        EXPECT_EQ(readFile(path()), bytes) << "a first run found every key and wrote nothing";
        EXPECT_EQ(store.read(keys::TimerVita), QStringLiteral("123456"));
        EXPECT_EQ(store.read(keys::AllarmeMessaggio), QStringLiteral("Sveglia"));
        EXPECT_EQ(store.read(keys::ContoMessaggio), QStringLiteral("Fine conto"));
    }
}

TEST_F(SettingsStoreTest, ALineTheReaderCannotUnderstandNeverResetsAKey) {
    // The header is broken, so Big Ben is not seen; the lifetime under it must survive the first run all the same.
    const QByteArray broken = "[Opzioni\nBig Ben=1\nTimer vita=987654\n";
    writeStore(broken);
    SettingsStore store(path());
    EXPECT_EQ(store.read(keys::BigBen), QString());
    EXPECT_TRUE(store.firstRunInit());
    EXPECT_TRUE(readFile(path()).startsWith(broken)) << "a write keeps the lines it cannot read";
    EXPECT_EQ(store.read(keys::TimerVita), QString()) << "keys under a broken header belong to no section";
    EXPECT_FALSE(readFile(path()).contains("Timer vita=0")) << "and are never written over";
    EXPECT_TRUE(store.write(keys::Avvio, QStringLiteral("Mini")));
    EXPECT_TRUE(readFile(path()).startsWith(broken));
}

TEST_F(SettingsStoreTest, LargeFilesCostTimeAndMemoryInProportionToTheirBytes) {
    // The real keys, then 16 MiB of blank lines.
    QByteArray big = "[Opzioni]\nBig Ben=1\nAvvio=Mini\nTimer vita=42\n";
    big += QByteArray(16 * 1024 * 1024, '\n');
    writeStore(big);
    big.clear();
    const bool measureMemory = resetPeakMemory();
    const qint64 before = peakMemory();
    QString avvio;
    const double ms = elapsedMs([&] {
        SettingsStore store(path());
        store.firstRunInit();
        avvio = store.read(keys::Avvio);
    });
    EXPECT_EQ(avvio, QStringLiteral("Mini"));
    EXPECT_LT(ms, 1000) << "16 MiB parsed in " << ms << " ms";
    if (measureMemory) {
        EXPECT_LT(peakMemory() - before, 100 << 20) << "bytes of memory beyond the file's own to parse it";
    }

    const double writeMs =
        elapsedMs([&] { EXPECT_TRUE(SettingsStore(path()).write(keys::Avvio, QStringLiteral("x"))); });
    EXPECT_LT(writeMs, 1000) << "a write merges with 16 MiB in " << writeMs << " ms";
}

// A store under the size limit costs memory in proportion to its bytes whatever its lines: 30 MB of short
// `key=value` lines once took 448 MB to read and 893 MB to write.
struct DenseShape {
    const char* name;
    QByteArray (*line)(int i);
};

class DenseStoreTest : public SettingsStoreTest, public ::testing::WithParamInterface<DenseShape> {};

TEST_P(DenseStoreTest, CostsMemoryInProportionToItsBytes) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's allocator pads every block and holds freed ones back: no figure to compare";
#endif
    QByteArray bytes = "[Opzioni]\nAvvio=Mini\n";
    for (int i = 0; bytes.size() < 24 * 1024 * 1024; ++i)
        bytes += GetParam().line(i);
    const qint64 size = bytes.size();
    writeStore(bytes);
    bytes.clear();
    bytes.squeeze();
    if (!resetPeakMemory())
        GTEST_SKIP() << "no peak memory to measure here";
    const qint64 before = peakMemory();
    SettingsStore store(path());
    EXPECT_EQ(store.read(keys::Avvio), QStringLiteral("Mini"));
    const qint64 read = peakMemory() - before;
    EXPECT_TRUE(store.update([](SettingsStore::Transaction& t) {
        t.write(keys::Avvio, QStringLiteral("Orologino"));
        t.write(keys::Allarme, QStringLiteral("1"));
    }));
    const qint64 written = peakMemory() - before;
    EXPECT_EQ(SettingsStore(path()).read(keys::Avvio), QStringLiteral("Orologino"));
    EXPECT_LT(read, 6 * size) << read / 1048576 << " MiB to read " << size / 1048576 << " MiB";
    EXPECT_LT(written, 9 * size) << written / 1048576 << " MiB to read and write " << size / 1048576 << " MiB";
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, DenseStoreTest,
    ::testing::Values(
        DenseShape{"short_key_value_lines", [](int i) { return "k" + QByteArray::number(i) + "=v\n"; }},
        DenseShape{"one_key_again_and_again", [](int) { return QByteArray("k=v\n"); }},
        DenseShape{"section_headers", [](int i) { return "[s" + QByteArray::number(i) + "]\n"; }},
        DenseShape{"a_section_and_a_key_each", [](int i) { return "[s" + QByteArray::number(i) + "]\nk=1\n"; }},
        DenseShape{"keys_of_accented_letters", [](int i) { return "chiave è " + QByteArray::number(i) + "=sì\n"; }}),
    [](const ::testing::TestParamInfo<DenseShape>& info) { return std::string(info.param.name); });

TEST_F(SettingsStoreTest, AFileTooLargeToBeSettingsReadsEmptyAndIsLeftAlone) {
    writeStore("[Opzioni]\nBig Ben=1\n");
    ASSERT_EQ(::truncate(QFile::encodeName(path()).constData(), 40 << 20), 0); // 40 MiB, sparse
    const ino_t before = inode(path());
    SettingsStore store(path());
    double ms = elapsedMs([&] {
        EXPECT_EQ(store.read(keys::BigBen), QString());
        EXPECT_FALSE(store.firstRunInit());
        EXPECT_FALSE(store.write(keys::Avvio, QStringLiteral("Mini")));
    });
    EXPECT_LT(ms, 500);
    EXPECT_EQ(inode(path()), before);
    EXPECT_EQ(QFileInfo(path()).size(), 40 << 20);
}

TEST_F(SettingsStoreTest, AHeldLockNeverDelaysTheStartAndAFailedWriteSaysSo) {
    QDir().mkpath(file(QStringLiteral("Quadrantix")));
    HeldLock other(path() + QStringLiteral(".lock"));
    SettingsStore store(path());
    bool initialised = true;
    const double startMs = elapsedMs([&] { initialised = store.firstRunInit(); });
    EXPECT_LT(startMs, 1000) << "the first run waited for the lock";
    EXPECT_FALSE(initialised) << "a first run that could not write says so";
    bool wrote = true;
    const double writeMs = elapsedMs([&] { wrote = store.write(keys::Avvio, QStringLiteral("Mini")); });
    EXPECT_FALSE(wrote);
    EXPECT_GE(writeMs, SettingsStore::kLockPatience.count() - 50.0) << "a write waits its patience before giving up";
    EXPECT_FALSE(QFile::exists(path()));

    other.release();
    EXPECT_TRUE(store.firstRunInit());
    for (const SettingKey& k : kFirstRunKeys)
        EXPECT_EQ(store.read(k), QStringView(k.firstRun).toString()) << QStringView(k.key).toString().toStdString();
}

TEST_F(SettingsStoreTest, ThreeWritersGetTheLockInTurn) {
    // A store with a large value, so that each write holds the lock for a while, as a long reminder text would.
    writeStore("[Promemoria]\nTesto=" + QByteArray(1 << 20, 'x') + "\n");
    // For a fixed time rather than a fixed count, so that a writer left waiting cannot catch up after the others end.
    const std::vector<double> slowest =
        runWriters({{path(), QStringLiteral("a")}, {path(), QStringLiteral("b")}, {path(), QStringLiteral("c")}},
                   QStringLiteral("5s"));
    for (double ms : slowest)
        EXPECT_LT(ms, 1000) << "slowest write of a writer: " << ms << " ms";
}

TEST_F(SettingsStoreTest, EveryPathToOneStoreTakesOneLock) {
    QDir().mkpath(file(QStringLiteral("Quadrantix")));
    const QString link = file(QStringLiteral("link.ini"));
    ASSERT_TRUE(QFile::link(path(), link)); // dangling until the first write
    runWriters({{path(), QStringLiteral("a")}, {link, QStringLiteral("b")}}, QStringLiteral("300"));
    SettingsStore store(path());
    for (int k = 0; k < 50; ++k) {
        const QString expected = QString::number(k == 0 ? 300 : 250 + k); // the last i <= 300 with i % 50 == k
        EXPECT_EQ(store.read(u"Prova", QStringLiteral("a%1").arg(k)), expected);
        EXPECT_EQ(store.read(u"Prova", QStringLiteral("b%1").arg(k)), expected);
    }
    EXPECT_FALSE(QFile::exists(link + QStringLiteral(".lock"))) << "the lock lies beside the file the link reaches";

    HeldLock other(path() + QStringLiteral(".lock"));
    SettingsStore viaLink(link);
    EXPECT_FALSE(viaLink.update([](SettingsStore::Transaction& t) { t.write(keys::Avvio, QStringLiteral("Mini")); },
                                std::chrono::milliseconds(100)));
}

TEST_F(SettingsStoreTest, TheNextWriteRemovesTheTemporaryFilesOfKilledWritersAndNoUserFile) {
    SettingsStore store(path());
    store.firstRunInit();
    // A person's copies, named as people name them, beside what killed writers left.
    const QStringList userFiles{QStringLiteral(".Quadrantix.ini.backup"), QStringLiteral(".Quadrantix.ini.241210"),
                                QStringLiteral(".Quadrantix.ini.Ab12Cd"), QStringLiteral(".Quadrantix.ini.keep"),
                                QStringLiteral(".Altro.ini.~qx-tmp-Ab12Cd")};
    for (const QString& name : userFiles + QStringList{QStringLiteral(".Quadrantix.ini.~qx-tmp-Ab12Cd"),
                                                       QStringLiteral(".Quadrantix.ini.~qx-tmp-zzzzzz")})
        writeFile(file(QStringLiteral("Quadrantix/") + name), QByteArray(1 << 20, 'x'));
    EXPECT_TRUE(store.write(keys::Avvio, QStringLiteral("Mini")));
    QStringList expected =
        userFiles + QStringList{QStringLiteral("Quadrantix.ini"), QStringLiteral("Quadrantix.ini.lock")};
    expected.sort();
    QStringList found = leftovers();
    found.sort();
    EXPECT_EQ(found, expected) << "only this store's own temporary files are removed";
}

// Programs that know nothing of the lock save the file in place: an editor or `cat >` empties it and writes it again,
// `printf >>` appends. Their save is never discarded, and the gap in the middle of one is never taken as the truth.
TEST_F(SettingsStoreTest, AWriteWaitsForASaveInPlaceAndKeepsIt) {
    SettingsStore store(path());
    ASSERT_TRUE(store.write(keys::TimerVita, QStringLiteral("123456")));
    // The editor has emptied the file and not yet written it.
    const int editor = ::open(QFile::encodeName(path()).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    ASSERT_GE(editor, 0);
    auto writing = std::async(std::launch::async, [&] { return store.write(keys::Avvio, QStringLiteral("Mini")); });
    EXPECT_EQ(writing.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout)
        << "the write waits while the file is open for writing";
    const QByteArray saved = "[Opzioni]\nTimer vita=123456\nnota=dell'utente\n";
    ASSERT_EQ(::write(editor, saved.constData(), size_t(saved.size())), ssize_t(saved.size()));
    ::close(editor);
    EXPECT_TRUE(writing.get());
    SettingsStore fresh(path());
    EXPECT_EQ(fresh.read(u"Opzioni", u"nota"), QStringLiteral("dell'utente")) << "the user's save is kept";
    EXPECT_EQ(fresh.read(keys::TimerVita), QStringLiteral("123456"));
    EXPECT_EQ(fresh.read(keys::Avvio), QStringLiteral("Mini"));
}

TEST_F(SettingsStoreTest, AFileEmptiedSinceItHeldATotalIsNotTakenAsTheTruth) {
    SettingsStore store(path());
    ASSERT_TRUE(store.firstRunInit());
    ASSERT_TRUE(store.write(keys::TimerVita, QStringLiteral("86400")));
    EXPECT_EQ(store.read(keys::TimerVita), QStringLiteral("86400"));
    ASSERT_TRUE(QFile::resize(path(), 0)); // a save cut off after emptying the file
    EXPECT_EQ(store.read(keys::TimerVita), QStringLiteral("86400")) << "a read holds on to what the file held";
    ASSERT_TRUE(store.update([](SettingsStore::Transaction& t) {
        t.write(keys::TimerVita, QString::number(t.read(keys::TimerVita).toLongLong() + 60));
    }));
    SettingsStore fresh(path());
    EXPECT_EQ(fresh.read(keys::TimerVita), QStringLiteral("86460")) << "the total is not lost";
    EXPECT_EQ(fresh.read(keys::BigBen), QStringLiteral("1")) << "nor any other key";
}

TEST_F(SettingsStoreTest, AWriteMadeInPlaceWhileAnUpdateRunsIsMergedNotDiscarded) {
    SettingsStore store(path());
    ASSERT_TRUE(store.write(keys::Avvio, QStringLiteral("Mini")));
    int runs = 0;
    ASSERT_TRUE(store.update([&](SettingsStore::Transaction& t) {
        if (runs++ == 0) { // after the update read the file, before it replaces it: an append, `printf >> file`
            std::ofstream append(QFile::encodeName(path()).toStdString(), std::ios::app);
            append << "[Prova]\naggiunta=1\n";
        }
        t.write(keys::Allarme, QStringLiteral("1"));
    }));
    EXPECT_EQ(runs, 2) << "the change is made again on the file as the append left it";
    SettingsStore fresh(path());
    EXPECT_EQ(fresh.read(u"Prova", u"aggiunta"), QStringLiteral("1"));
    EXPECT_EQ(fresh.read(keys::Allarme), QStringLiteral("1"));
    EXPECT_EQ(fresh.read(keys::Avvio), QStringLiteral("Mini"));
}

TEST_F(SettingsStoreTest, AnUpdateSaysWhetherTheSettingsWereBusyOrCouldNotBeWritten) {
    SettingsStore store(path());
    ASSERT_TRUE(store.firstRunInit());
    {
        HeldLock other(path() + QStringLiteral(".lock"));
        EXPECT_EQ(store.tryUpdate([](SettingsStore::Transaction& t) { t.write(keys::Avvio, QStringLiteral("Mini")); },
                                  std::chrono::milliseconds(50)),
                  SettingsStore::Result::Busy);
    }
    QDir().mkpath(file(QStringLiteral("folder.ini")));
    SettingsStore folder(file(QStringLiteral("folder.ini")));
    EXPECT_EQ(folder.tryUpdate([](SettingsStore::Transaction& t) { t.write(keys::Avvio, QStringLiteral("Mini")); }),
              SettingsStore::Result::Failed);
    EXPECT_EQ(store.tryUpdate([](SettingsStore::Transaction& t) { t.write(keys::Avvio, QStringLiteral("Mini")); }),
              SettingsStore::Result::Written);
}
