// Timing trace for the benchmark: when QUADRANTIX_TRACE names a file, events are appended to it with the real time.
#pragma once

#include <QByteArray>
#include <QString>

namespace qx {

// Appends "<CLOCK_REALTIME ns> <event> <args>" as one line; does nothing (and costs one branch) when tracing is off.
// The file is never reached through a symbolic link, and anything but a regular file is not written.
void traceEvent(const char* event, const QString& args = {});
// The args as they go into the trace: UTF-8, one line whatever the text (backslash, line breaks and other control
// characters escaped as \\, \n, \r and \xHH).
QByteArray escapeTraceText(const QString& text);
bool tracing();

} // namespace qx
