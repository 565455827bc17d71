// File operations that never leave a half-written file behind.
#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>

namespace qx {

// Replaces the file at path with data as one step: written to a temporary file beside it, flushed to disk and
// renamed over it. Readers see the whole old file or the whole new one; on any failure (full disk, read-only
// folder, path is a directory) the old file is left whole, the temporary file is removed and false is returned.
// A replaced file keeps its permissions; a new one is private to the user. A symbolic link is followed, so the file
// it points at is replaced and the link stays.
bool replaceFileAtomically(const QString& path, const QByteArray& data);

// Reads a whole regular file of at most maxBytes; nothing for anything else (missing, unreadable, a directory).
struct FileRead {
    bool ok = false;
    QByteArray data;
};
FileRead readWholeFile(int fd, qint64 maxBytes);

// An exclusive advisory lock on a lock file, held for the object's lifetime. It waits at most `patience` for another
// holder, so that a stuck process cannot hang its peers; locked() says whether the lock was obtained.
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
