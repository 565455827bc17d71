// Measures what one read and one write of the shared settings store cost (median and 90th percentile).
#include "core/settings_store.h"

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

template <typename F> std::vector<double> timeEach(int n, F&& f) {
    std::vector<double> us;
    us.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        const auto t0 = Clock::now();
        f(i);
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    std::sort(us.begin(), us.end());
    return us;
}

void report(const char* what, const std::vector<double>& us) {
    std::printf("settings store  %-38s median %8.2f us   p90 %8.2f us   max %9.2f us   (n=%zu)\n", what,
                us[us.size() / 2], us[us.size() * 9 / 10], us.back(), us.size());
}

} // namespace

int main() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quadrantix.ini"));
    qx::SettingsStore store(path), other(path);
    store.firstRunInit();

    report("read, file unchanged", timeEach(100000, [&](int) { (void)store.read(qx::keys::SegnaleOrario); }));
    std::vector<double> fresh;
    for (int i = 0; i < 500; ++i) {
        other.write(qx::keys::TimerVita, QString::number(i));
        const auto t0 = Clock::now();
        (void)store.read(qx::keys::TimerVita);
        fresh.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    std::sort(fresh.begin(), fresh.end());
    report("read of a value just rewritten", fresh);
    report("write (lock, merge, fsync, rename)",
           timeEach(500, [&](int i) { store.write(qx::keys::AllarmeMessaggio, QString::number(i)); }));
    return 0;
}
