// Helper process for the concurrency test: a copy of Horacumul's update, run many times on the real uptime.
// Arguments: the store's path, the boot id to count for, how many updates. Fails at the first update not written.
#include "core/settings_store.h"
#include "lifetime/horacumul.h"
#include "platform/clock.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4)
        return 2;
    qx::SystemClock clock;
    qx::SettingsStore store(QString::fromLocal8Bit(argv[1]));
    qx::Horacumul horacumul(clock, store, QString::fromLocal8Bit(argv[2]));
    const int count = QByteArray(argv[3]).toInt();
    for (int i = 1; i <= count; ++i) {
        if (!horacumul.accumulate()) {
            std::fprintf(stderr, "update %d not written\n", i);
            return 1;
        }
    }
    return 0;
}
