// The user's own folders as the XDG base directory rules name them.
#include "platform/user_dirs.h"

#include <QDir>

namespace qx {

namespace {
QString baseDir(const char* variable, QLatin1String fallback) {
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + QLatin1Char('/') + fallback;
}
} // namespace

QString xdgConfigHome() {
    return baseDir("XDG_CONFIG_HOME", QLatin1String(".config"));
}

QString xdgDataHome() {
    return baseDir("XDG_DATA_HOME", QLatin1String(".local/share"));
}

} // namespace qx
