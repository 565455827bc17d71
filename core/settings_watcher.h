// The one watch on the settings store that the windows following it share.
#pragma once

#include <QObject>
#include <QString>
#include <utility>

class QFileSystemWatcher;

namespace qx {

class SettingsStore;

// Tells when another writer (a window, another copy of the clock, Horacumul, an editor) may have changed the store:
// every write replaces the file by rename, which its folder reports. A program makes one and hands it to each window
// that shows the store's values as they change.
class SettingsWatcher : public QObject {
    Q_OBJECT
public:
    explicit SettingsWatcher(const SettingsStore& store, QObject* parent = nullptr);
    ~SettingsWatcher() override;

    // Runs `onChange` on `receiver` at each change, for as long as `receiver` lives. The folder is watched from the
    // first follower on: the first run may only just have made it.
    template <typename F> QMetaObject::Connection follow(const QObject* receiver, F&& onChange) {
        watch();
        return connect(this, &SettingsWatcher::changed, receiver, std::forward<F>(onChange));
    }

Q_SIGNALS:
    void changed();

private:
    void watch();

    QString folder_; // empty for a store without a file, which nothing changes
    QFileSystemWatcher* watcher_;
};

} // namespace qx
