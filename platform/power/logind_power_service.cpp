// Shut-down and restart through systemd-logind on the system bus.
#include "platform/power/power_service.h"

#include "platform/trace.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace qx {

namespace {
class LogindPowerService final : public PowerService {
public:
    void powerOff() override { ask(QStringLiteral("PowerOff")); }
    void reboot() override { ask(QStringLiteral("Reboot")); }

private:
    static void ask(const QString& method) {
        traceEvent("power", method);
        // Without a system bus the connection fails at once (and Qt keeps that answer for the program's life).
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected())
            return;
        QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
                                                           QStringLiteral("/org/freedesktop/login1"),
                                                           QStringLiteral("org.freedesktop.login1.Manager"), method);
        call << true; // interactive
        // Queued and sent by the bus connection's own thread; the answer, or an error, is dropped when it comes. A
        // login manager that takes its time (asking the user for the right) never holds the clock.
        bus.send(call);
    }
};
} // namespace

std::unique_ptr<PowerService> makeLogindPowerService() {
    return std::make_unique<LogindPowerService>();
}

} // namespace qx
