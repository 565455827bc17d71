// Turns the signals that ask a program to end (SIGTERM, SIGINT, SIGHUP) into a Qt signal on the event loop.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace qx {

// While an instance lives, the three signals no longer end the process at once: each is reported by received() on
// the event loop, where the program can end as it would on its own (show what it hid, close its windows). One
// instance per process; the default handlers come back when it is destroyed.
class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

Q_SIGNALS:
    void received(int signal);

private:
    void onReadable();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace qx
