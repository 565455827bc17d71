// Running other programs: always by path, with no shell and no arguments, never waiting for them.
#pragma once

#include <QString>
#include <QStringList>

namespace qx {

// Starts the program at `path` detached from this one, with no arguments and without a shell, and returns at once.
// False when it could not be started (missing, not executable); nothing is reported.
bool startProgram(const QString& path);

// The full path of the first of `names` found as an executable on PATH, or the empty text when none is.
QString findProgram(const QStringList& names);

} // namespace qx
