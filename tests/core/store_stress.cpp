// The settings store under real processes, reporting its figures:
//   qx_store_stress stress <seconds>  three writers, a program that saves the file in place (empties it, then writes
//                                     it), one that appends to it, and a reader at 100 reads a second: every read
//                                     parses and never goes back; at the end every key holds its writer's last value,
//                                     every appended key is there, the shared counter has every increment, and no
//                                     stray file is left;
//   qx_store_stress kill <kills>      a writer of a 1 MiB store killed with SIGKILL mid-write, again and again: the
//                                     file always parses and holds the last complete value, and the next write
//                                     removes the killed writer's temporary file.
// Exit status 0 when everything held; each failure is one line on stderr.
#include "core/settings_store.h"
#include "platform/file_ops.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace qx;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kWriters = 3;
constexpr int kKeys = 20;
const QString kSection = QStringLiteral("Prova");
const QString kInPlaceSection = QStringLiteral("InPlace");
const QString kAppendSection = QStringLiteral("Aggiunte");
const QString kCounter = QStringLiteral("Totale");

int failures = 0;
void fail(const char* what, const QString& detail = {}) {
    ++failures;
    std::fprintf(stderr, "FAILED: %s %s\n", what, qPrintable(detail));
}

QString key(int writer, int k) {
    return QStringLiteral("w%1k%2").arg(writer).arg(k);
}

IniDocument parseWhole(const QByteArray& data);

// The whole file as it was between two saves in place (which no reader can help seeing half made), or nothing.
std::optional<QByteArray> readBetweenSaves(const QString& path) {
    const int fd = openRegularFile(path);
    struct stat before {
    }, after{};
    if (fd < 0 || ::fstat(fd, &before) != 0 || openForWriting(fd)) {
        if (fd >= 0)
            ::close(fd);
        return std::nullopt;
    }
    FileRead file = readWholeFile(fd, kMaxIniFileBytes);
    const bool settled = file.ok && ::fstat(fd, &after) == 0 && !openForWriting(fd) &&
                         FileIdentity::of(before) == FileIdentity::of(after);
    ::close(fd);
    if (!settled)
        return std::nullopt;
    return file.data;
}

// The whole file, parsed; a file that does not read completely is a failure.
IniDocument readWhole(const QString& path) {
    const FileRead file = readRegularFile(path, kMaxIniFileBytes);
    if (!file.ok)
        fail("the store could not be read");
    return parseWhole(file.data);
}

IniDocument parseWhole(const QByteArray& data) {
    IniDocument doc = IniDocument::parse(data);
    if (doc.hasUnreadableLines())
        fail("the store has a line that does not parse");
    return doc;
}

QStringList strayFiles(const QString& folder) {
    QStringList found = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    found.removeAll(QStringLiteral("q.ini"));
    found.removeAll(QStringLiteral("q.ini.lock"));
    return found;
}

// A writer process: for `seconds`, writes its keys in turn and, every fourth write, adds one to the shared counter
// in a read-modify-write update. Reports "<writes> <increments> <slowest ms> <last value>" on the pipe.
[[noreturn]] void writer(const QString& path, int id, int seconds, int out) {
    SettingsStore store(path);
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    long writes = 0, increments = 0;
    double slowest = 0;
    while (Clock::now() < end) {
        const auto start = Clock::now();
        bool ok;
        if (writes % 4 == 3) {
            ok = store.update([](SettingsStore::Transaction& t) {
                t.write(kSection, kCounter, QString::number(t.read(kSection, kCounter).toLongLong() + 1));
            });
            increments += ok;
        } else {
            ok = store.write(kSection, key(id, int(writes % kKeys)), QString::number(writes));
        }
        slowest = std::max(slowest, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (!ok)
            fail("a write gave up");
        ++writes;
    }
    const QByteArray report = QByteArray::number(qlonglong(writes)) + ' ' + QByteArray::number(qlonglong(increments)) +
                              ' ' + QByteArray::number(slowest, 'f', 1) + '\n';
    [[maybe_unused]] const ssize_t n = ::write(out, report.constData(), size_t(report.size()));
    std::_Exit(failures ? 1 : 0);
}

// Programs that know nothing of the lock, taking turns (two of them racing each other would lose each other's
// writes whatever the store does): one saves the file in place, as an editor's save or `cat >` does (reads it, sets
// its own key, empties it and writes it again through the same open file); the other appends a new key each time,
// `printf '[Aggiunte]\na<n>=<n>\n' >> file`. Reports "<saves> <appends>".
[[noreturn]] void foreignWriters(const QString& path, int seconds, int out) {
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    const QByteArray native = QFile::encodeName(path);
    long saves = 0;
    while (Clock::now() < end) {
        int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            fail("the in-place writer could not open the store");
            break;
        }
        FileRead file = readWholeFile(fd, kMaxIniFileBytes);
        IniDocument doc = IniDocument::parse(file.data);
        doc.setValue(kInPlaceSection, QStringLiteral("p%1").arg(saves % kKeys), QString::number(saves));
        const QByteArray& bytes = doc.serialize();
        if (!file.ok || ::ftruncate(fd, 0) != 0 ||
            ::pwrite(fd, bytes.constData(), size_t(bytes.size()), 0) != bytes.size())
            fail("the in-place writer could not save");
        ::close(fd);

        fd = ::open(native.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
        const QByteArray line = '[' + kAppendSection.toUtf8() + "]\na" + QByteArray::number(qlonglong(saves)) + '=' +
                                QByteArray::number(qlonglong(saves)) + '\n';
        if (fd < 0 || ::write(fd, line.constData(), size_t(line.size())) != line.size())
            fail("the appender could not append");
        if (fd >= 0)
            ::close(fd);
        ++saves;
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // 50 saves and 50 appends a second
    }
    const QByteArray report = QByteArray::number(qlonglong(saves)) + ' ' + QByteArray::number(qlonglong(saves)) + '\n';
    [[maybe_unused]] const ssize_t n = ::write(out, report.constData(), size_t(report.size()));
    std::_Exit(failures ? 1 : 0);
}

// The reader process: 100 reads a second through its own store, plus a check of the whole file each time.
[[noreturn]] void reader(const QString& path, int seconds, int out) {
    SettingsStore store(path);
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    long reads = 0;
    long lastCounter = 0;
    std::vector<long> last(kWriters * kKeys, -1);
    for (auto next = Clock::now(); next < end; next += std::chrono::milliseconds(10)) {
        std::this_thread::sleep_until(next);
        const long counter = store.read(kSection, kCounter).toLong();
        if (counter < lastCounter)
            fail("the counter went back", QString::number(counter));
        lastCounter = counter;
        const std::optional<QByteArray> bytes = readBetweenSaves(path);
        if (!bytes) {
            ++reads; // inside a save in place: there is nothing to compare
            continue;
        }
        const IniDocument doc = parseWhole(*bytes);
        for (int w = 0; w < kWriters; ++w)
            for (int k = 0; k < kKeys; ++k) {
                const auto v = doc.value(kSection, key(w, k));
                const long value = v ? v->toLong() : -1;
                if (value < last[std::size_t(w * kKeys + k)])
                    fail("a value went back", key(w, k));
                last[std::size_t(w * kKeys + k)] = value;
            }
        ++reads;
    }
    const QByteArray report = QByteArray::number(qlonglong(reads)) + '\n';
    [[maybe_unused]] const ssize_t n = ::write(out, report.constData(), size_t(report.size()));
    std::_Exit(failures ? 1 : 0);
}

pid_t spawn(const std::function<void(int)>& body, int& readEnd) {
    int fds[2];
    if (::pipe(fds) != 0)
        std::abort();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        body(fds[1]);
    }
    ::close(fds[1]);
    readEnd = fds[0];
    return pid;
}

QByteArray readAll(int fd) {
    QByteArray all;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        all.append(buffer, n);
    ::close(fd);
    return all;
}

bool exitedCleanly(pid_t pid) {
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int stress(const QString& folder, int seconds) {
    const QString path = folder + QStringLiteral("/q.ini");
    if (!SettingsStore(path).write(kSection, kCounter, QStringLiteral("0")))
        fail("the store could not be made");
    std::vector<std::pair<pid_t, int>> writers;
    for (int w = 0; w < kWriters; ++w) {
        int fd;
        const pid_t pid = spawn([&](int out) { writer(path, w, seconds, out); }, fd);
        writers.emplace_back(pid, fd);
    }
    int readerFd, foreignFd;
    const pid_t readerPid = spawn([&](int out) { reader(path, seconds, out); }, readerFd);
    const pid_t foreignPid = spawn([&](int out) { foreignWriters(path, seconds, out); }, foreignFd);

    long writes = 0, increments = 0;
    double slowest = 0;
    std::vector<long> perWriter;
    for (const auto& [pid, fd] : writers) {
        const QList<QByteArray> fields = readAll(fd).trimmed().split(' ');
        if (!exitedCleanly(pid) || fields.size() != 3) {
            fail("a writer failed");
            continue;
        }
        perWriter.push_back(fields[0].toLong());
        writes += fields[0].toLong();
        increments += fields[1].toLong();
        slowest = std::max(slowest, fields[2].toDouble());
    }
    const long reads = readAll(readerFd).trimmed().toLong();
    if (!exitedCleanly(readerPid))
        fail("the reader saw a fault");
    const QList<QByteArray> foreign = readAll(foreignFd).trimmed().split(' ');
    const long saves = foreign.value(0).toLong(), appends = foreign.value(1).toLong();
    if (!exitedCleanly(foreignPid) || foreign.size() != 2)
        fail("the in-place writer or the appender failed");

    const IniDocument doc = readWhole(path);
    for (int w = 0; w < int(perWriter.size()); ++w)
        for (int k = 0; k < kKeys; ++k) {
            // The writer's last plain write of key k: the largest n < writes with n % kKeys == k and n % 4 != 3.
            long expected = -1;
            for (long n = perWriter[std::size_t(w)] - 1; n >= 0 && expected < 0; --n)
                if (n % kKeys == k && n % 4 != 3)
                    expected = n;
            const QString got = doc.value(kSection, key(w, k)).value_or(QStringLiteral("-1"));
            if (got.toLong() != expected)
                fail("a key does not hold its last value", key(w, k) + QLatin1Char(' ') + got);
        }
    for (int k = 0; k < kKeys && k < saves; ++k) {
        long expected = -1; // the last save of key k
        for (long n = saves - 1; n >= 0 && expected < 0; --n)
            if (n % kKeys == k)
                expected = n;
        const QString got = doc.value(kInPlaceSection, QStringLiteral("p%1").arg(k)).value_or(QStringLiteral("-1"));
        if (got.toLong() != expected)
            fail("a key saved in place does not hold its last value", QStringLiteral("p%1 %2").arg(k).arg(got));
    }
    long appendsLost = 0;
    for (long n = 0; n < appends; ++n)
        appendsLost += doc.value(kAppendSection, QStringLiteral("a%1").arg(n)) != QString::number(n);
    if (appendsLost)
        fail("appended keys were lost", QStringLiteral("%1 of %2").arg(appendsLost).arg(appends));
    if (doc.value(kSection, kCounter).value_or(QString()).toLong() != increments)
        fail("the counter lost an increment", doc.value(kSection, kCounter).value_or(QString()));
    if (!strayFiles(folder).isEmpty())
        fail("stray files", strayFiles(folder).join(u' '));
    std::printf("store stress: %d writers, an in-place writer, an appender and a reader for %d s: %ld writes "
                "(%ld read-modify-write increments), %ld saves in place, %ld appends (%ld lost), slowest write %.1f "
                "ms, %ld reads\n",
                kWriters, seconds, writes, increments, saves, appends, appendsLost, slowest, reads);
    // Beside programs that save the file in place a write waits for their saves as well as for the lock; it must
    // still never wait past the store's own patience, after which it would have given up.
    if (slowest >= double(SettingsStore::kLockPatience.count()))
        fail("a write took longer than the store's patience");
    return failures ? 1 : 0;
}

int kill(const QString& folder, int kills) {
    const QString path = folder + QStringLiteral("/q.ini");
    const QString big(1 << 20, QLatin1Char('m'));
    {
        SettingsStore store(path);
        store.write(u"Promemoria", u"Testo", big);
        store.write(kSection, u"Ultimo", QStringLiteral("0"));
    }
    std::mt19937 random(12345);
    long acknowledged = 0;
    int leftTemporary = 0;
    for (int i = 0; i < kills; ++i) {
        // The child writes ever larger values of one key and reports each that reached the disk.
        int fd;
        const long from = acknowledged;
        const pid_t pid = spawn(
            [&](int out) {
                SettingsStore store(path);
                for (long v = from + 1;; ++v)
                    if (store.write(kSection, u"Ultimo", QString::number(v))) {
                        const QByteArray line = QByteArray::number(qlonglong(v)) + '\n';
                        [[maybe_unused]] const ssize_t n = ::write(out, line.constData(), size_t(line.size()));
                    }
            },
            fd);
        std::this_thread::sleep_for(std::chrono::microseconds(3000 + random() % 20000));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        const QList<QByteArray> reported = readAll(fd).split('\n');
        for (const QByteArray& line : reported)
            if (!line.isEmpty())
                acknowledged = line.toLong();

        // Whole, and the last complete value (or the one the kill cut off after its rename, before its report).
        const IniDocument doc = readWhole(path);
        const long value = doc.value(kSection, u"Ultimo").value_or(QString()).toLong();
        if (value != acknowledged && value != acknowledged + 1)
            fail("the last complete value is lost", QStringLiteral("%1 after %2").arg(value).arg(acknowledged));
        acknowledged = value;
        if (doc.value(u"Promemoria", u"Testo") != big)
            fail("another key was damaged");
        leftTemporary += !strayFiles(folder).isEmpty();
    }
    SettingsStore(path).write(u"Dopo", u"pulizia", QStringLiteral("1"));
    if (!strayFiles(folder).isEmpty())
        fail("the next write left stray files", strayFiles(folder).join(u' '));
    std::printf("store kill: %d SIGKILLs mid-write survived (%d left a temporary file, removed by the next write); "
                "last value %ld\n",
                kills, leftTemporary, acknowledged);
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    // On tmpfs where there is one: the machine's disk is shared with other builds, and a stalled fsync would measure
    // the disk, not the lock. Writes are then at their fastest, which is when a writer is likeliest to starve.
    QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                          ? QStringLiteral("/dev/shm/qx-stress-XXXXXX")
                          : QDir::tempPath() + QStringLiteral("/qx-stress-XXXXXX"));
    if (args.size() == 3 && args[1] == QLatin1String("stress"))
        return stress(dir.path(), args[2].toInt());
    if (args.size() == 3 && args[1] == QLatin1String("kill"))
        return kill(dir.path(), args[2].toInt());
    std::fprintf(stderr, "usage: qx_store_stress stress <seconds> | kill <kills>\n");
    return 2;
}
