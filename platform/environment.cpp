// What a program of ours checks and settles about the session it was started in, before anything else runs.
#include "platform/environment.h"

#include <QDir>
#include <QFile>

#include <pwd.h>
#include <unistd.h>

namespace qx {

QString homeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    if (QDir::isAbsolutePath(home))
        return QDir::cleanPath(home);
    // Without HOME, Qt would answer "/", and the folders below it would be made at the root.
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
        const QString fromDatabase = QFile::decodeName(pw->pw_dir);
        if (QDir::isAbsolutePath(fromDatabase))
            return QDir::cleanPath(fromDatabase);
    }
    return {};
}

QString xdgFolder(const char* variable, const char* fallback) {
    const QString explicitFolder = qEnvironmentVariable(variable);
    if (QDir::isAbsolutePath(explicitFolder))
        return explicitFolder;
    const QString home = homeFolder();
    return home.isEmpty() ? QString() : home + QLatin1Char('/') + QLatin1String(fallback);
}

} // namespace qx
