// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal: the handler writes the signal's number to a socket pair, which
// the event loop watches (the only safe thing a handler can do is write to a descriptor).
#include "platform/quit_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace qx {

namespace {
int fds[2] = {-1, -1}; // [0] written by the handler, [1] read on the event loop
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onSignal(int signal) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(fds[0], &byte, 1);
    errno = saved;
}
} // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0)
        return; // the signals keep their default action: the program still ends, only less tidily
    notifier_ = new QSocketNotifier(fds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QuitSignals::onReadable);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        sigaction(signal, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    if (!notifier_)
        return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        sigaction(signal, &action, nullptr);
    delete notifier_;
    for (int& fd : fds) {
        ::close(fd);
        fd = -1;
    }
}

void QuitSignals::onReadable() {
    unsigned char byte = 0;
    while (::read(fds[1], &byte, 1) == 1)
        Q_EMIT received(byte);
}

} // namespace qx
