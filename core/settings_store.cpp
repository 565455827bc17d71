// The one per-user settings store that the clock, the screensaver and the lifetime accumulator share.
#include "core/settings_store.h"

#include "platform/environment.h"
#include "platform/file_ops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx {

namespace {
bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}
} // namespace

QString SettingsStore::defaultPath() {
    const QString explicitPath = qEnvironmentVariable("QUADRANTIX_CONFIG");
    if (!explicitPath.isEmpty())
        return explicitPath;
    const QString base = xdgFolder("XDG_CONFIG_HOME", ".config");
    return base.isEmpty() ? QString() : base + QLatin1String("/Quadrantix/Quadrantix.ini");
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
    doc_ = IniDocument();
}

void SettingsStore::refresh() const {
    struct stat st {};
    if (nativePath_.isEmpty() || ::stat(nativePath_.constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_size > kMaxIniFileBytes) {
        forget();
        return;
    }
    if (fd_ >= 0 && st.st_dev == dev_ && st.st_ino == ino_ && st.st_size == size_ && sameTime(st.st_mtim, mtime_) &&
        sameTime(st.st_ctim, ctime_))
        return;

    forget();
    const int fd = openRegularFile(path_);
    struct stat opened {};
    if (fd < 0 || ::fstat(fd, &opened) != 0) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    FileRead file = readWholeFile(fd, kMaxIniFileBytes);
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
    doc_ = IniDocument::parse(std::move(file.data));
}

QString SettingsStore::read(QStringView section, QStringView key) const {
    refresh();
    return doc_.value(section, key).value_or(QString());
}

QString SettingsStore::Transaction::read(QStringView section, QStringView key) const {
    return doc_.value(section, key).value_or(QString());
}

void SettingsStore::Transaction::write(QStringView section, QStringView key, const QString& value) {
    if (doc_.value(section, key) == value)
        return;
    if (doc_.setValue(section, key, value))
        changed_ = true;
    else
        refused_ = true;
}

bool SettingsStore::update(const std::function<void(Transaction&)>& change, std::chrono::milliseconds patience) {
    // Through a symbolic link the lock and the temporary file go beside the file it points at, so that every path
    // to one store takes one lock.
    const QString target = resolveSymlinks(path_);
    struct stat st {};
    if (target.isEmpty() || (::stat(QFile::encodeName(target).constData(), &st) == 0 && !S_ISREG(st.st_mode)))
        return false; // a directory, a FIFO or a device where the store should be: leave it alone, at once
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        return false;
    FileLock lock(target + QLatin1String(".lock"), patience);
    if (!lock.locked())
        return false;
    removeLeftoverTemporaries(target);

    // Merge with what is on disk now, not with what this process read earlier.
    IniDocument doc;
    const int fd = openRegularFile(target);
    if (fd >= 0) {
        FileRead file = readWholeFile(fd, kMaxIniFileBytes);
        ::close(fd);
        if (!file.ok)
            return false; // too large to be a settings file: leave it alone
        doc = IniDocument::parse(std::move(file.data));
    } else if (::stat(QFile::encodeName(target).constData(), &st) == 0 || errno != ENOENT) {
        return false;
    }
    Transaction transaction(doc);
    change(transaction);
    if (transaction.refused_)
        return false;
    return !transaction.changed_ || replaceFileAtomically(target, doc.serialize());
}

bool SettingsStore::write(QStringView section, QStringView key, const QString& value) {
    return update([&](Transaction& t) { t.write(section, key, value); });
}

namespace {
// The keys that go with the lifetime total: written only when the total itself is.
bool followsTheTotal(const SettingKey& k) {
    return &k == &kFirstRunKeys[7] || &k == &kFirstRunKeys[8];
}
static_assert(kFirstRunKeys[6].key == keys::TimerVita.key && kFirstRunKeys[7].key == keys::TimerVitaAvvio.key &&
              kFirstRunKeys[8].key == keys::TimerVitaContati.key);

// Whether the first run owes this key its value. `exact`: also look for it among the lines not understood.
bool missing(const IniDocument& doc, const SettingKey& k, bool exact) {
    const std::optional<QString> v = doc.value(k.section, k.key);
    if (v)
        return v->isEmpty() && !k.firstRun.empty();
    return !exact || !doc.mayHideKey(k.section, k.key);
}

bool anyMissing(const IniDocument& doc, bool exact) {
    for (const SettingKey& k : kFirstRunKeys)
        if (!followsTheTotal(k) && missing(doc, k, exact))
            return true;
    return false;
}
} // namespace

bool SettingsStore::firstRunInit() {
    // The common start finds every key: only a start that may owe one takes the lock.
    refresh();
    if (!anyMissing(doc_, false))
        return true;
    return update(
        [](Transaction& t) {
            const bool newTotal = missing(t.doc_, keys::TimerVita, true);
            for (const SettingKey& k : kFirstRunKeys)
                if (followsTheTotal(k) ? newTotal : missing(t.doc_, k, true))
                    t.write(k, QStringView(k.firstRun).toString());
        },
        kStartPatience);
}

} // namespace qx
