// The logind power service where there is no system bus: every request returns at once and nothing breaks. (Against
// a logind on a bus, tests/e2e/test_countdown.py counts the calls it receives.)
#include "platform/power/power_service.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qx;

TEST(LogindPowerService, WithoutASystemBusEveryRequestReturnsAtOnce) {
    QTemporaryDir dir;
    // The process's first connection to the system bus is made here, to a socket nobody listens on.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + dir.filePath(QStringLiteral("no-bus")).toLocal8Bit());
    const std::unique_ptr<PowerService> power = makeLogindPowerService();
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer took;
        took.start();
        power->powerOff();
        power->reboot();
        EXPECT_LT(took.elapsed(), 500) << "round " << i;
    }
}
