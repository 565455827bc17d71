// Running other programs: always by path, with no shell and no arguments, never waiting for them.
#include "platform/process.h"

#include <QProcess>
#include <QStandardPaths>

namespace qx {

bool startProgram(const QString& path) {
    // startDetached runs the program itself (no shell), and its double fork leaves no child of ours to reap.
    return !path.isEmpty() && QProcess::startDetached(path, {});
}

QString findProgram(const QStringList& names) {
    for (const QString& name : names)
        if (const QString found = QStandardPaths::findExecutable(name); !found.isEmpty())
            return found;
    return {};
}

} // namespace qx
