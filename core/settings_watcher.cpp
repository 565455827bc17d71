// The one watch on the settings store that the windows following it share.
#include "core/settings_watcher.h"

#include "core/settings_store.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

namespace qx {

SettingsWatcher::SettingsWatcher(const SettingsStore& store, QObject* parent)
    : QObject(parent), folder_(store.path().isEmpty() ? QString() : QFileInfo(store.path()).absolutePath()),
      watcher_(new QFileSystemWatcher(this)) {
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &SettingsWatcher::changed);
}

SettingsWatcher::~SettingsWatcher() = default;

void SettingsWatcher::watch() {
    if (!folder_.isEmpty() && watcher_->directories().isEmpty() && QFileInfo(folder_).isDir())
        watcher_->addPath(folder_);
}

} // namespace qx
