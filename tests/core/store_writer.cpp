// Helper process for the concurrency tests: writes its own keys many times (a count, or "<n>s" for n seconds), checks
// none of its writes is lost, and prints how many it made and how long its slowest took ("slowest <ms> writes <n>").
#include "core/settings_store.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits>

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    qx::SettingsStore store(QString::fromLocal8Bit(argv[1]));
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    const QByteArray amount(argv[3]);
    const bool timed = amount.endsWith('s');
    const int count = timed ? std::numeric_limits<int>::max() : amount.toInt();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(timed ? amount.chopped(1).toInt() : 0);
    constexpr int kKeys = 50;
    double slowestMs = 0;
    int i = 1;
    for (; i <= count && (!timed || std::chrono::steady_clock::now() < end); ++i) {
        const QString key = prefix + QString::number(i % kKeys);
        const auto start = std::chrono::steady_clock::now();
        const bool wrote = store.write(u"Prova", key, QString::number(i));
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        slowestMs = std::max(slowestMs, ms);
        if (!wrote) {
            std::fprintf(stderr, "write %d failed after %.0f ms\n", i, ms);
            return 1;
        }
        // The write just made, and the one before it, must both still be there: a writer that merged with a stale
        // copy of the file would have put an older value back.
        const QString prevKey = prefix + QString::number((i - 1) % kKeys);
        if (store.read(u"prova", key) != QString::number(i) ||
            (i > 1 && store.read(u"PROVA", prevKey) != QString::number(i - 1))) {
            std::fprintf(stderr, "write %d lost\n", i);
            return 1;
        }
    }
    std::printf("slowest %.1f writes %d\n", slowestMs, i - 1);
    return 0;
}
