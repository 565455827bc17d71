// Timing trace for the benchmark: when QUADRANTIX_TRACE names a file, events are appended to it with the real time.
#pragma once

#include <QString>

namespace qx {

// Appends "<CLOCK_REALTIME ns> <event> <args>" as one line; does nothing (and costs one branch) when tracing is off.
void traceEvent(const char* event, const QString& args = {});
bool tracing();

} // namespace qx
