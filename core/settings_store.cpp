// The one per-user settings store that the clock, the screensaver and the lifetime accumulator share.
#include "core/settings_store.h"

#include "platform/environment.h"
#include "platform/file_ops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <optional>

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
    // Emptied since it held values: a save in place is under way (or was cut off); what it held still counts.
    if (st.st_size == 0 && !lastHeld_.isEmpty()) {
        if (doc_.serialize().isEmpty())
            doc_ = IniDocument::parse(lastHeld_);
        return;
    }

    const int fd = openRegularFile(path_);
    struct stat opened {};
    if (fd < 0 || ::fstat(fd, &opened) != 0) {
        if (fd >= 0)
            ::close(fd);
        forget();
        return;
    }
    // Being saved in place (emptied, or only partly written again): what it held before still counts, and the file
    // is read once the save is over.
    if (!lastHeld_.isEmpty() && openForWriting(fd)) {
        ::close(fd);
        if (doc_.serialize().isEmpty())
            doc_ = IniDocument::parse(lastHeld_);
        return;
    }
    FileRead file = readWholeFile(fd, kMaxIniFileBytes);
    struct stat after {};
    if (file.ok && !lastHeld_.isEmpty() &&
        (::fstat(fd, &after) != 0 || !(FileIdentity::of(after) == FileIdentity::of(opened)) || openForWriting(fd))) {
        ::close(fd); // a save in place began while it was read: read it again once that is over
        if (doc_.serialize().isEmpty())
            doc_ = IniDocument::parse(lastHeld_);
        return;
    }
    forget();
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
    if (file.data.isEmpty() && !lastHeld_.isEmpty()) {
        doc_ = IniDocument::parse(lastHeld_); // emptied since it held values (see refresh's start)
        return;
    }
    if (!file.data.isEmpty())
        lastHeld_ = file.data;
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

namespace {
// The file as an update finds it under the lock.
struct Base {
    int fd = -1;       // kept open until the update is over, so that a write made to it in place can still be seen
    FileIdentity read; // the file `fd` is, as `bytes` were read from it
    std::optional<FileIdentity> atPath; // what the replacement must still find at the path; nothing: no file
    QByteArray bytes;
    ~Base() {
        if (fd >= 0)
            ::close(fd);
    }
};

enum class Found { Read, Changed, Busy, Failed };

// Reads the file at `target` once no one is writing it in place; Changed when it changed while being read.
Found readBase(const QString& target, Base& base, FileDeadline deadline) {
    base.fd = openRegularFile(target);
    if (base.fd < 0) {
        struct stat st {};
        if (::stat(QFile::encodeName(target).constData(), &st) == 0 || errno != ENOENT)
            return Found::Failed;
        return Found::Read; // no file yet
    }
    if (!waitForInPlaceWriters(base.fd, deadline))
        return Found::Busy;
    struct stat before {
    }, after{};
    if (::fstat(base.fd, &before) != 0)
        return Found::Failed;
    FileRead file = readWholeFile(base.fd, kMaxIniFileBytes);
    if (!file.ok)
        return Found::Failed; // too large to be a settings file: leave it alone
    if (::fstat(base.fd, &after) != 0 || !(FileIdentity::of(before) == FileIdentity::of(after)) ||
        file.data.size() != after.st_size)
        return Found::Changed;
    base.read = FileIdentity::of(after);
    base.atPath = base.read;
    base.bytes = std::move(file.data);
    return Found::Read;
}
} // namespace

SettingsStore::Result SettingsStore::tryUpdate(const std::function<void(Transaction&)>& change,
                                               std::chrono::milliseconds patience) {
    const FileDeadline deadline = deadlineIn(patience);
    // Through a symbolic link the lock and the temporary file go beside the file it points at, so that every path
    // to one store takes one lock.
    const QString target = resolveSymlinks(path_);
    struct stat st {};
    if (target.isEmpty() || (::stat(QFile::encodeName(target).constData(), &st) == 0 && !S_ISREG(st.st_mode)))
        return Result::Failed; // a directory, a FIFO or a device where the store should be: leave it alone, at once
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        return Result::Failed;
    FileLock lock(target + QLatin1String(".lock"), patience);
    if (!lock.locked())
        return Result::Busy;
    removeLeftoverTemporaries(target);

    // Merge with what is on disk now, not with what this process read earlier. Programs that know nothing of the
    // lock may write the file in place at any moment; each time one did, the change is made again on its result.
    for (;;) {
        auto base = std::make_unique<Base>();
        const Found found = readBase(target, *base, deadline);
        if (found == Found::Failed)
            return Result::Failed;
        if (found == Found::Busy)
            return Result::Busy;
        if (found == Found::Changed) {
            if (passed(deadline))
                return Result::Busy;
            continue;
        }
        const bool emptied = base->fd >= 0 && base->bytes.isEmpty() && !lastHeld_.isEmpty();
        // The file this store parsed last, unchanged: its parse is taken over rather than made again.
        const bool parsed = !emptied && fd_ >= 0 && base->fd >= 0 &&
                            FileIdentity{dev_, ino_, size_, mtime_} == base->read &&
                            doc_.serialize().size() == base->bytes.size();
        IniDocument doc = parsed ? std::move(doc_) : IniDocument::parse(emptied ? lastHeld_ : base->bytes);
        if (parsed)
            forget();
        Transaction transaction(doc);
        change(transaction);
        if (transaction.refused_)
            return Result::Failed;
        if (!transaction.changed_ && !emptied) {
            if (!base->bytes.isEmpty())
                lastHeld_ = base->bytes;
            return Result::Written;
        }
        const ReplaceResult replaced = replaceFileIfUnchanged(target, doc.serialize(), base->atPath);
        if (replaced == ReplaceResult::Failed)
            return Result::Failed;
        if (replaced == ReplaceResult::Changed) {
            if (passed(deadline))
                return Result::Busy;
            continue;
        }
        // A program that opened the old file just before the rename writes into it after: that save is not lost.
        // The edits it made to what it read are made again on the file now in place, which already holds this
        // change (so that nothing is applied twice), and so on for any file replaced in turn.
        std::vector<std::unique_ptr<Base>> replacedFiles;
        replacedFiles.push_back(std::move(base));
        std::vector<IniDocument::Spelled> pending;
        for (int round = 0; round < 16; ++round) {
            for (const std::unique_ptr<Base>& old : replacedFiles) {
                if (old->fd < 0)
                    continue;
                // The change itself is on disk already; a save still open at the deadline is waited for no longer.
                waitForInPlaceWriters(old->fd, deadline);
                struct stat now {};
                if (::fstat(old->fd, &now) != 0 || FileIdentity::of(now) == old->read)
                    continue;
                FileRead late = readWholeFile(old->fd, kMaxIniFileBytes);
                if (!late.ok || late.data.isEmpty() || ::fstat(old->fd, &now) != 0)
                    continue; // emptied and never written again: nothing was saved there
                const IniDocument before = IniDocument::parse(old->bytes);
                for (IniDocument::Spelled& e : IniDocument::parse(late.data).spelledEntries())
                    if (before.value(e.section, e.key) != e.value)
                        pending.push_back(std::move(e));
                old->read = FileIdentity::of(now);
                old->bytes = std::move(late.data);
            }
            if (pending.empty())
                break;
            auto current = std::make_unique<Base>();
            if (readBase(target, *current, deadline) != Found::Read)
                continue;
            IniDocument merged = IniDocument::parse(current->bytes);
            for (const IniDocument::Spelled& e : pending)
                merged.setValue(e.section, e.key, e.value);
            const ReplaceResult again = replaceFileIfUnchanged(target, merged.serialize(), current->atPath);
            if (again == ReplaceResult::Failed)
                break;
            if (again == ReplaceResult::Replaced) {
                pending.clear();
                doc = std::move(merged);
                replacedFiles.push_back(std::move(current));
            }
        }
        lastHeld_ = doc.serialize();
        return Result::Written;
    }
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
