// File operations that never leave a half-written file behind and never open what is not a regular file.
#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <optional>
#include <sys/stat.h>

namespace qx {

// Larger than any settings or INI file a person keeps (a 1 MB value included): a bigger file is not read at all.
inline constexpr qint64 kMaxIniFileBytes = 32 * 1024 * 1024;

// The file a path names once symbolic links are followed (the path itself when it is none; the link's target when
// that does not exist yet). Two paths that reach one file through links give the same result.
QString resolveSymlinks(const QString& path);

// Opens a regular file (or a link to one) for reading; -1 for anything else. A FIFO, a device, a socket or a
// directory is never opened, so nothing here can block or have a device's side effects.
int openRegularFile(const QString& path);

// Reads a whole regular file of at most maxBytes; nothing for anything else (missing, unreadable, a directory).
struct FileRead {
    bool ok = false;
    QByteArray data;
};
FileRead readWholeFile(int fd, qint64 maxBytes);
// openRegularFile and readWholeFile in one.
FileRead readRegularFile(const QString& path, qint64 maxBytes);

// Replaces the file at path with data as one step: written to a temporary file beside it, flushed to disk and
// renamed over it. Readers see the whole old file or the whole new one; on any failure (full disk, read-only
// folder, path is a directory, a FIFO or anything but a regular file) the old file is left whole, the temporary file
// is removed and false is returned. A replaced file keeps its permissions; a new one is private to the user. A
// symbolic link is followed, so the file it points at is replaced and the link stays.
bool replaceFileAtomically(const QString& path, const QByteArray& data);

// Which file a path named when it was read, and whether it was written since: device, inode, size and modification
// time. (A rename changes a file's change time, so that is left out; the size catches a write within one step of the
// modification time, which moves in steps of a few milliseconds.)
struct FileIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    timespec mtime{};
    static FileIdentity of(const struct stat& st);
    friend bool operator==(const FileIdentity& a, const FileIdentity& b) {
        return a.dev == b.dev && a.ino == b.ino && a.size == b.size && a.mtime.tv_sec == b.mtime.tv_sec &&
               a.mtime.tv_nsec == b.mtime.tv_nsec;
    }
};

// replaceFileAtomically, but only while the file at path is still `expected` (nothing: no file there yet), so that
// a write made in place meanwhile (an editor, `cat >`, an append) is never discarded: then Changed, nothing is
// replaced and the caller reads the file again. On success `written` is the identity the new file has.
enum class ReplaceResult { Replaced, Changed, Failed };
ReplaceResult replaceFileIfUnchanged(const QString& path, const QByteArray& data,
                                     const std::optional<FileIdentity>& expected, FileIdentity* written = nullptr);

// The moment a wait of the file operations gives up, on the monotonic clock; deadlineIn(patience) is `patience`
// from now, passed() whether it has come.
using FileDeadline = std::chrono::steady_clock::time_point;
FileDeadline deadlineIn(std::chrono::milliseconds patience);
bool passed(FileDeadline deadline);

// Waits until no process has the open file `fd` (opened read-only) open for writing, as a program that saves in
// place has while it empties and refills the file, at most until `deadline`. Returns true when no one has it open
// for writing, or when the system cannot tell (a file of another owner, a file system without leases); false when a
// writer still had it open at the deadline.
bool waitForInPlaceWriters(int fd, FileDeadline deadline);
// Whether some process has the open file `fd` (opened read-only) open for writing: false also when the system cannot
// tell.
bool openForWriting(int fd);

// Removes the temporary files that replaceFileAtomically(target) left when its process was killed mid-write. Only
// call it while holding the lock every writer of `target` holds: then no live writer has a temporary file. They are
// told by a name of their own (".<name>.~qx-tmp-XXXXXX"), never by a name a person could give a backup copy.
void removeLeftoverTemporaries(const QString& target);

// An exclusive advisory lock on a lock file, held for the object's lifetime. A waiting writer sleeps in the kernel
// and is woken when the holder lets go, so writers that want the lock get it in turn; it waits at most `patience`,
// so that a stopped process cannot hang its peers. locked() says whether the lock was obtained. A lock file that is
// not a regular file is never used.
class FileLock {
public:
    FileLock(const QString& lockPath, std::chrono::milliseconds patience);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool locked() const { return locked_; }

private:
    int fd_ = -1;
    bool locked_ = false;
};

} // namespace qx
