// File operations that never leave a half-written file behind and never open what is not a regular file.
#include "platform/file_ops.h"

#include <QDir>
#include <QFileInfo>

#include <cctype>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qx {

namespace {

bool writeAll(int fd, const char* p, qint64 n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, size_t(n));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += w;
        n -= w;
    }
    return true;
}

// What follows ".<name>" in a temporary file's name, then six letters or digits from mkostemp.
constexpr char kTemporaryMark[] = ".~qx-tmp-";
constexpr std::size_t kMarkLength = sizeof kTemporaryMark - 1;

// ".<name>.~qx-tmp-XXXXXX", the temporary files of replaceFileAtomically and nothing else: a backup copy such as
// ".<name>.backup" or ".<name>.241210" is a person's file.
bool isTemporaryOf(const char* entry, const QByteArray& name) {
    const std::size_t len = std::strlen(entry);
    const std::size_t prefix = 1 + std::size_t(name.size()) + kMarkLength;
    if (len != prefix + 6 || entry[0] != '.' || std::memcmp(entry + 1, name.constData(), name.size()) ||
        std::memcmp(entry + 1 + name.size(), kTemporaryMark, kMarkLength))
        return false;
    for (std::size_t i = prefix; i < len; ++i)
        if (!std::isalnum(static_cast<unsigned char>(entry[i])))
            return false;
    return true;
}

} // namespace

QString resolveSymlinks(const QString& path) {
    QString current = path;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            break;
        current = info.symLinkTarget(); // absolute, relative targets resolved against the link's folder
    }
    return current;
}

int openRegularFile(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (native.isEmpty() || ::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    // O_NONBLOCK in case the path became a FIFO since the stat: the open then returns at once, and fstat says no.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

FileRead readWholeFile(int fd, qint64 maxBytes) {
    FileRead result;
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxBytes)
        return result;
    result.data.resize(qsizetype(st.st_size));
    qint64 got = 0;
    while (got < st.st_size) {
        const ssize_t r = ::pread(fd, result.data.data() + got, size_t(st.st_size - got), got);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        got += r;
    }
    result.data.truncate(qsizetype(got));
    result.ok = true;
    return result;
}

FileRead readRegularFile(const QString& path, qint64 maxBytes) {
    const int fd = openRegularFile(path);
    FileRead r = readWholeFile(fd, maxBytes);
    if (fd >= 0)
        ::close(fd);
    return r;
}

FileIdentity FileIdentity::of(const struct stat& st) {
    return FileIdentity{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

namespace {
enum class Check { None, Expected };

ReplaceResult replace(const QString& path, const QByteArray& data, Check check,
                      const std::optional<FileIdentity>& expected, FileIdentity* written) {
    const QString target = resolveSymlinks(path);
    const QByteArray nativeTarget = QFile::encodeName(target);
    struct stat old {};
    const bool exists = ::stat(nativeTarget.constData(), &old) == 0;
    if ((exists && !S_ISREG(old.st_mode)) || (!exists && errno != ENOENT))
        return ReplaceResult::Failed; // never replace a directory, a FIFO or a device, nor guess past an error
    const QFileInfo info(target);
    QByteArray tmpl = QFile::encodeName(info.absolutePath() + QLatin1String("/.") + info.fileName() +
                                        QLatin1String(kTemporaryMark) + QLatin1String("XXXXXX"));
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0)
        return ReplaceResult::Failed;

    bool ok = writeAll(fd, data.constData(), data.size());
    ok = ok && (!exists || ::fchmod(fd, old.st_mode & 07777) == 0);
    ok = ok && ::fsync(fd) == 0;
    struct stat made {};
    ok = ok && ::fstat(fd, &made) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && check == Check::Expected) {
        // As late as possible before the rename: the file must still be the one the data was made from.
        struct stat now {};
        const bool present = ::stat(nativeTarget.constData(), &now) == 0;
        if (present != expected.has_value() || (present && !(FileIdentity::of(now) == *expected))) {
            ::unlink(tmpl.constData());
            return ReplaceResult::Changed;
        }
    }
    ok = ok && ::rename(tmpl.constData(), nativeTarget.constData()) == 0;
    if (!ok) {
        ::unlink(tmpl.constData());
        return ReplaceResult::Failed;
    }
    // Make the rename itself durable; if this fails the new file is already in place for every reader.
    const int dir = ::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    if (written)
        *written = FileIdentity::of(made);
    return ReplaceResult::Replaced;
}
} // namespace

bool replaceFileAtomically(const QString& path, const QByteArray& data) {
    return replace(path, data, Check::None, std::nullopt, nullptr) == ReplaceResult::Replaced;
}

ReplaceResult replaceFileIfUnchanged(const QString& path, const QByteArray& data,
                                     const std::optional<FileIdentity>& expected, FileIdentity* written) {
    return replace(path, data, Check::Expected, expected, written);
}

bool openForWriting(int fd) {
    // A read lease is granted only while no one has the file open for writing. Its break signal, should a writer
    // open the file in the instant it is held, is SIGURG, which is ignored unless handled.
    ::fcntl(fd, F_SETSIG, SIGURG);
    if (::fcntl(fd, F_SETLEASE, F_RDLCK) == 0) {
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        return false;
    }
    return errno == EAGAIN;
}

namespace {
// One inotify instance per thread, kept: closing one waits for the kernel's grace period (10 to 20 ms measured),
// which a write that waits for a save in place would pay every time.
struct Watcher {
    int fd = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ~Watcher() {
        if (fd >= 0)
            ::close(fd);
    }
    void drain() const {
        char events[4096];
        while (::read(fd, events, sizeof events) > 0) {
        }
    }
};
} // namespace

FileDeadline deadlineIn(std::chrono::milliseconds patience) {
    return std::chrono::steady_clock::now() + patience;
}

bool passed(FileDeadline deadline) {
    return std::chrono::steady_clock::now() >= deadline;
}

bool waitForInPlaceWriters(int fd, FileDeadline deadline) {
    // A read lease is granted only while no one has the file open for writing; it is let go at once (see
    // openForWriting).
    if (!openForWriting(fd))
        return true;
    thread_local const Watcher watcher;
    if (watcher.fd < 0)
        return false;
    watcher.drain();
    // Watched before the next try, so that a close between the try and the wait is not missed.
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    const int watch = ::inotify_add_watch(watcher.fd, self.constData(), IN_CLOSE_WRITE | IN_MODIFY);
    if (watch < 0)
        return false;
    bool result = false;
    for (;;) {
        if (!openForWriting(fd)) {
            result = true;
            break;
        }
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            break;
        pollfd p{watcher.fd, POLLIN, 0};
        if (::poll(&p, 1, int(std::min<long long>(left, 1000))) > 0)
            watcher.drain();
    }
    ::inotify_rm_watch(watcher.fd, watch);
    watcher.drain();
    return result;
}

void removeLeftoverTemporaries(const QString& target) {
    const QFileInfo info(target);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray name = QFile::encodeName(info.fileName());
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryOf(entry->d_name, name))
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

namespace {
// A blocking flock() cannot be given a time limit, so it runs on a thread of its own while the caller waits for it
// at most its patience. The thread has its own descriptor of the same open file (flock locks belong to the open
// file, so a lock it obtains is the caller's); if the caller has given up, closing that descriptor, the last one,
// lets the lock go again.
struct LockWait {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool obtained = false;
    bool abandoned = false;
};

bool waitForLock(int fd, std::chrono::milliseconds patience) {
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return false;
    auto wait = std::make_shared<LockWait>();
    try {
        std::thread([wait, own] {
            int r;
            do
                r = ::flock(own, LOCK_EX);
            while (r != 0 && errno == EINTR);
            {
                const std::lock_guard guard(wait->mutex);
                wait->finished = true;
                wait->obtained = r == 0 && !wait->abandoned;
            }
            wait->done.notify_one();
            ::close(own); // the caller's descriptor keeps the lock, or, if it gave up and closed it, this frees it
        }).detach();
    } catch (const std::system_error&) {
        ::close(own);
        return false;
    }
    std::unique_lock guard(wait->mutex);
    if (wait->done.wait_for(guard, patience, [&] { return wait->finished; }))
        return wait->obtained;
    wait->abandoned = true;
    return false;
}
} // namespace

FileLock::FileLock(const QString& lockPath, std::chrono::milliseconds patience) {
    fd_ = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0600);
    struct stat st {};
    if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd_);
        fd_ = -1;
    }
    if (fd_ < 0)
        return;
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
        locked_ = true;
    else if (errno == EWOULDBLOCK || errno == EINTR)
        locked_ = waitForLock(fd_, patience);
}

FileLock::~FileLock() {
    if (fd_ >= 0)
        ::close(fd_); // closing the last descriptor of the open file releases the lock
}

} // namespace qx
