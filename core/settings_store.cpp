// The one per-user settings store that the clock, the screensaver and the lifetime accumulator share.
#include "core/settings_store.h"

#include "platform/file_ops.h"
#include "platform/ini_document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx {

namespace {
constexpr qint64 kMaxStoreBytes = 64 * 1024 * 1024;
// How long a writer waits for another writer before giving up (a stopped process must not hang the clock).
constexpr std::chrono::milliseconds kLockPatience{3000};

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}
} // namespace

QString SettingsStore::defaultPath() {
    const QString explicitPath = qEnvironmentVariable("QUADRANTIX_CONFIG");
    if (!explicitPath.isEmpty())
        return explicitPath;
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QLatin1String("/.config");
    return base + QLatin1String("/Quadrantix/Quadrantix.ini");
}

SettingsStore::SettingsStore(QString path) : path_(std::move(path)), nativePath_(QFile::encodeName(path_)) {}

SettingsStore::~SettingsStore() {
    forget();
}

void SettingsStore::forget() const {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = -1;
    values_.clear();
}

void SettingsStore::refresh() const {
    struct stat st {};
    if (::stat(nativePath_.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        forget();
        return;
    }
    if (fd_ >= 0 && st.st_dev == dev_ && st.st_ino == ino_ && st.st_size == size_ && sameTime(st.st_mtim, mtime_) &&
        sameTime(st.st_ctim, ctime_))
        return;

    forget();
    const int fd = ::open(nativePath_.constData(), O_RDONLY | O_CLOEXEC);
    struct stat opened {};
    if (fd < 0 || ::fstat(fd, &opened) != 0) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    const FileRead file = readWholeFile(fd, kMaxStoreBytes);
    if (!file.ok) {
        ::close(fd);
        return;
    }
    // Identity of what was actually read; if the file changes in place while being read, the next stat differs.
    fd_ = fd;
    dev_ = opened.st_dev;
    ino_ = opened.st_ino;
    size_ = opened.st_size;
    mtime_ = opened.st_mtim;
    ctime_ = opened.st_ctim;
    values_ = IniDocument::parse(file.data).values();
}

QString SettingsStore::read(QStringView section, QStringView key) const {
    refresh();
    return values_.value(IniDocument::lookupKey(section, key));
}

bool SettingsStore::write(QStringView section, QStringView key, const QString& value) {
    const QFileInfo info(path_);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    FileLock lock(path_ + QLatin1String(".lock"), kLockPatience);
    if (!lock.locked())
        return false;

    // Merge with what is on disk now, not with what this process read earlier.
    IniDocument doc;
    const int fd = ::open(nativePath_.constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        const FileRead file = readWholeFile(fd, kMaxStoreBytes);
        ::close(fd);
        if (!file.ok)
            return false; // a directory or an oversized file where the store should be: leave it alone
        doc = IniDocument::parse(file.data);
    } else if (errno != ENOENT) {
        return false;
    }
    doc.setValue(section, key, value);
    return replaceFileAtomically(path_, doc.serialize());
}

void SettingsStore::firstRunInit() {
    if (!read(keys::BigBen).isEmpty())
        return;
    for (const SettingKey& k : kFirstRunKeys)
        write(k, QStringView(k.firstRun).toString());
}

} // namespace qx
