// Start at log-on: the clock's launcher copied into the user's XDG autostart folder, or taken out of it.
#include "options/autostart.h"

#include "core/startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qx {

AutostartEntry AutostartEntry::forUser() {
    return {launcherPath(), qx::autostartFolder()};
}

QString AutostartEntry::entryPath() const {
    return autostartFolder + QLatin1Char('/') + QFileInfo(launcher).fileName();
}

bool AutostartEntry::isPresent() const {
    return QFileInfo::exists(entryPath());
}

bool AutostartEntry::apply(bool on) const {
    if (launcher.isEmpty() || autostartFolder.isEmpty())
        return false; // no home folder: nowhere to keep the entry
    const QString entry = entryPath();
    if (!on)
        return QFile::remove(entry) || !QFileInfo::exists(entry);
    // QFile::copy never replaces an existing file: it writes an unnamed temporary copy and links it in under the
    // entry's name, which fails where a file already is, so an entry made meanwhile by another program is kept too
    // and no reader sees a half-written one.
    if (QFileInfo::exists(entry)) {
        refreshLauncherCopy(launcher, entry);
        return true;
    }
    return QDir().mkpath(autostartFolder) && QFile::copy(launcher, entry);
}

} // namespace qx
