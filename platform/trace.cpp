// Timing trace for the benchmark: when QUADRANTIX_TRACE names a file, events are appended to it with the real time.
#include "platform/trace.h"

#include <QFile>

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx {

namespace {
int traceFd() {
    static const int fd = [] {
        const QByteArray path = qgetenv("QUADRANTIX_TRACE");
        if (path.isEmpty())
            return -1;
        // A link is refused (it could point the appends at any file of the user's), and so is anything but a
        // regular file (a FIFO would block the writes, a device would take them).
        const int opened =
            ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        struct stat st {};
        if (opened >= 0 && (::fstat(opened, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(opened);
            return -1;
        }
        return opened;
    }();
    return fd;
}
} // namespace

QByteArray escapeTraceText(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (u < 0x20 || u == 0x7f) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

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
        line += ' ' + escapeTraceText(args);
    line += '\n';
    [[maybe_unused]] const ssize_t w = ::write(fd, line.constData(), size_t(line.size()));
}

} // namespace qx
