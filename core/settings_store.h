// The one per-user settings store that the clock, the screensaver and the lifetime accumulator share.
#pragma once

#include "core/settings_keys.h"

#include <QHash>
#include <QString>
#include <sys/types.h>

namespace qx {

// A plain INI file (see DESIGN.md). Every read sees what any process wrote before it: the file is checked with one
// stat() per read and parsed again only when it was replaced or changed. Every write replaces the file atomically
// under a lock, merging with what others wrote meanwhile. Nothing here ever fails loudly: what cannot be read reads
// as the empty text, and a write that cannot be completed leaves the previous file whole.
class SettingsStore {
public:
    // QUADRANTIX_CONFIG if set, else $XDG_CONFIG_HOME/Quadrantix/Quadrantix.ini (~/.config by default).
    static QString defaultPath();

    explicit SettingsStore(QString path = defaultPath());
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    const QString& path() const { return path_; }

    QString read(QStringView section, QStringView key) const;
    QString read(const SettingKey& k) const { return read(k.section, k.key); }

    // Returns whether the value reached the disk; callers of the programs ignore it.
    bool write(QStringView section, QStringView key, const QString& value);
    bool write(const SettingKey& k, const QString& value) { return write(k.section, k.key, value); }

    // At every start of the clock: when "Big Ben" is empty, write every first-run value in order.
    void firstRunInit();

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
    mutable QHash<QString, QString> values_;
};

} // namespace qx
