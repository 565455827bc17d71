// Desktop entries naming a program: the one writer of the clock's launcher and of the installed entries.
#pragma once

#include <QByteArray>
#include <QString>

namespace qx {

// The entry `entryTemplate` (dist/*.desktop.in) with `program` filled in: @EXEC@ becomes the path as the single
// argument of Exec, quoted for the desktop entry format (inside double quotes ", `, $ and \ take a backslash, % is
// doubled, then the value is escaped as any string value is), and @TRYEXEC@ the path as a string value. Any path
// works: spaces, quotes, $, %, backslashes, line breaks. The clock writes its launcher with it at every start, and
// `qx_desktop_entry` (tools/desktop_entry) the installed entries, so the two are written alike.
QByteArray desktopEntryText(const QByteArray& entryTemplate, const QString& program);

// The program an entry starts: its TryExec, or the first argument of its Exec; empty when it names none.
QString desktopEntryProgram(const QByteArray& text);

} // namespace qx
