// Helper process for the concurrency test: writes its own keys many times and checks none of its writes is lost.
#include "core/settings_store.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    qx::SettingsStore store(QString::fromLocal8Bit(argv[1]));
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    const int count = std::atoi(argv[3]);
    constexpr int kKeys = 50;
    for (int i = 1; i <= count; ++i) {
        const QString key = prefix + QString::number(i % kKeys);
        if (!store.write(u"Prova", key, QString::number(i))) {
            std::fprintf(stderr, "write %d failed\n", i);
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
    return 0;
}
