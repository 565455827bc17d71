// File operations that never leave a half-written file behind.
#include "platform/file_ops.h"

#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
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

QString resolveLinks(const QString& path) {
    QFileInfo info(path);
    for (int hops = 0; info.isSymLink() && hops < 16; ++hops)
        info.setFile(info.symLinkTarget());
    return info.filePath();
}

} // namespace

bool replaceFileAtomically(const QString& path, const QByteArray& data) {
    const QString target = resolveLinks(path);
    const QFileInfo info(target);
    QByteArray tmpl =
        QFile::encodeName(info.absolutePath() + QLatin1String("/.") + info.fileName() + QLatin1String(".XXXXXX"));
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0)
        return false;

    bool ok = writeAll(fd, data.constData(), data.size());
    struct stat old {};
    if (ok && ::stat(QFile::encodeName(target).constData(), &old) == 0)
        ok = S_ISREG(old.st_mode) && ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(tmpl.constData(), QFile::encodeName(target).constData()) == 0;
    if (!ok) {
        ::unlink(tmpl.constData());
        return false;
    }
    // Make the rename itself durable; if this fails the new file is already in place for every reader.
    const int dir = ::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
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

FileLock::FileLock(const QString& lockPath, std::chrono::milliseconds patience) {
    fd_ = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0)
        return;
    timespec start{}, now{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    long pauseNs = 50'000;
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            locked_ = true;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
            return;
        clock_gettime(CLOCK_MONOTONIC, &now);
        const auto waitedMs = (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1'000'000;
        if (waitedMs >= patience.count())
            return;
        const timespec pause{0, pauseNs};
        nanosleep(&pause, nullptr);
        pauseNs = std::min(pauseNs * 2, 2'000'000L);
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0)
        ::close(fd_); // closing releases the lock
}

} // namespace qx
