// The one per-user settings store that the clock, the screensaver and the lifetime accumulator share.
#pragma once

#include "core/setting_values.h"
#include "core/settings_keys.h"
#include "platform/ini_document.h"

#include <QString>
#include <chrono>
#include <functional>
#include <sys/types.h>

namespace qx {

// The typed reads of a store or of a transaction on it: one per value form of the key table, each with the one rule
// of its form (setting_values.h), so that every window and program reading a key understands it alike. `read()`
// stays for what shows or edits the value as it was typed.
template <typename Reader> class TypedReads {
public:
    bool flag(const FlagKey& k) const { return value::flag(raw(k)); }
    bool checked(const CheckKey& k) const { return value::checked(raw(k)); }
    std::optional<int> hour(const HourKey& k) const { return value::hour(raw(k)); }
    std::optional<int> minute(const MinuteKey& k) const { return value::minute(raw(k)); }
    // One of the face names exactly; the empty text (an absent key) is `whenEmpty` when given, else no face.
    std::optional<FaceKind> face(const FaceKey& k, std::optional<FaceKind> whenEmpty = std::nullopt) const {
        const QString stored = raw(k);
        return whenEmpty ? faceFromSetting(stored, *whenEmpty) : faceFromName(stored);
    }
    std::optional<CountdownEnd> endAction(const EndActionKey& k) const { return countdownEndFromName(raw(k)); }
    std::optional<std::uint64_t> count(const CountKey& k) const { return value::count(raw(k)); }
    QString text(const TextKey& k) const { return raw(k); }

private:
    QString raw(const SettingKey& k) const { return static_cast<const Reader&>(*this).read(k); }
};

// A plain INI file (see DESIGN.md). Every read sees what any process wrote before it: the file is checked with one
// stat() per read and parsed again only when it was replaced or changed. Every write replaces the file atomically
// under a lock, merging with what others wrote meanwhile. What cannot be read reads as the empty text: a missing
// file, anything but a regular file (a FIFO, a directory), a file too large to be a settings file. A write that
// cannot be completed leaves the previous file whole and returns false.
class SettingsStore : public TypedReads<SettingsStore> {
public:
    // How long a write waits for another writer (a stopped process must not hang the clock).
    static constexpr std::chrono::milliseconds kLockPatience{3000};
    // How long the first-run initialisation waits: the clock's window must come up whatever the lock does.
    static constexpr std::chrono::milliseconds kStartPatience{500};
    // How long the one update of a user's action in a window ("&OK", starting a countdown, the screensaver) waits in
    // all: the clock's timers wait with it, so it costs at most one second's tick.
    static constexpr std::chrono::milliseconds kActionPatience{1000};

    // QUADRANTIX_CONFIG if set, else $XDG_CONFIG_HOME/Quadrantix/Quadrantix.ini (~/.config by default, the home
    // folder taken from the password database when HOME is not set). Empty when no home folder is known: such a
    // store reads as empty and never writes.
    static QString defaultPath();

    explicit SettingsStore(QString path = defaultPath());
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    const QString& path() const { return path_; }

    QString read(QStringView section, QStringView key) const;
    QString read(const SettingKey& k) const { return read(k.section, k.key); }

    // Several keys read and written as one step: `change` sees the file as it is on disk under the lock, and what
    // it writes reaches the disk in one atomic replacement, or not at all. No other writer runs in between.
    class Transaction : public TypedReads<Transaction> {
    public:
        QString read(QStringView section, QStringView key) const;
        QString read(const SettingKey& k) const { return read(k.section, k.key); }
        void write(QStringView section, QStringView key, const QString& value);
        void write(const SettingKey& k, const QString& value) { write(k.section, k.key, value); }
        // False when some line of the file was not understood, so that a key may be there unseen.
        bool wholeFileUnderstood() const { return !doc_.hasUnreadableLines(); }

    private:
        friend class SettingsStore;
        explicit Transaction(IniDocument& doc) : doc_(doc) {}
        IniDocument& doc_;
        bool changed_ = false;
        bool refused_ = false;
    };
    // Written: the change reached the disk (also when it changed nothing). Busy: within `patience`, all of the
    // update's waiting together, another writer kept the lock, or a program saving the file in place kept it open.
    // Failed: the file could not be read or written (full or read-only disk, not a regular file), or a key had no
    // name. Only Written changed anything.
    //
    // A save made in place by another program (an editor, `cat >`, an append) is never discarded: the update waits
    // for it to finish, replaces the file only while it is still the file it read, and otherwise reads it again and
    // makes the change afresh. A file that has been emptied since this store last saw it hold values is a save in
    // progress, never the truth: the change is then made on what it last held.
    enum class Result { Written, Busy, Failed };
    Result tryUpdate(const std::function<void(Transaction&)>& change,
                     std::chrono::milliseconds patience = kLockPatience);
    // Whether tryUpdate wrote.
    bool update(const std::function<void(Transaction&)>& change, std::chrono::milliseconds patience = kLockPatience) {
        return tryUpdate(change, patience) == Result::Written;
    }

    bool write(QStringView section, QStringView key, const QString& value);
    bool write(const SettingKey& k, const QString& value) { return write(k.section, k.key, value); }

    // At every start of the clock: every first-run key the file does not hold gets its first-run value, all in one
    // update; a key that is present keeps its value, and so does one that a line the reader cannot understand may
    // hold. A key whose first-run value is not empty but that reads empty counts as missing ("Big Ben=" would
    // silence the chimes for good). Resetting the lifetime total also forgets the boot its seconds came from.
    // Returns false when values were due but could not be written.
    bool firstRunInit();

private:
    void refresh() const;
    void forget() const;

    QString path_;
    QByteArray nativePath_;
    // What was parsed last, and the identity of the file it came from. The file is kept open so that its inode
    // number cannot be reused by a later file while we still compare against it.
    mutable int fd_ = -1;
    mutable dev_t dev_ = 0;
    mutable ino_t ino_ = 0;
    mutable off_t size_ = -1;
    mutable timespec mtime_{};
    mutable timespec ctime_{};
    mutable IniDocument doc_;
    // The bytes of the last file this store saw holding something, read or written.
    mutable QByteArray lastHeld_;
};

} // namespace qx
