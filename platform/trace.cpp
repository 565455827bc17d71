// Timing trace for the benchmark: when QUADRANTIX_TRACE names a file, events are appended to it with the real time.
#include "platform/trace.h"

#include <QFile>

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace qx {

namespace {
int traceFd() {
    static const int fd = [] {
        const QByteArray path = qgetenv("QUADRANTIX_TRACE");
        return path.isEmpty() ? -1 : ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    }();
    return fd;
}
} // namespace

bool tracing() {
    return traceFd() >= 0;
}

void traceEvent(const char* event, const QString& args) {
    const int fd = traceFd();
    if (fd < 0)
        return;
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    char head[64];
    const int n = std::snprintf(head, sizeof head, "%lld%09ld ", static_cast<long long>(ts.tv_sec), ts.tv_nsec);
    QByteArray line(head, n);
    line += event;
    if (!args.isEmpty())
        line += ' ' + args.toUtf8();
    line += '\n';
    [[maybe_unused]] const ssize_t w = ::write(fd, line.constData(), size_t(line.size()));
}

} // namespace qx
