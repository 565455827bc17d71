// The lifetime keys of the shared settings store, read together and brought up to date together.
#include "lifetime/lifetime_store.h"

#include "core/settings_store.h"

namespace qx {

namespace {
// The three keys as read.
struct Reading {
    std::optional<std::uint64_t> total;
    QString boot;
    std::optional<std::uint64_t> counted;
    bool operator==(const Reading&) const = default;
};

// From the store, or from a transaction on it.
template <typename Reader> Reading readKeys(const Reader& from) {
    return {from.count(keys::TimerVita), from.text(keys::TimerVitaAvvio), from.count(keys::TimerVitaContati)};
}

LifetimeLedger ledgerOf(const Reading& r) {
    return LifetimeLedger::from(r.total, r.boot, r.counted);
}
} // namespace

LifetimeLedger LifetimeStore::read() const {
    // Each key is read on its own; two readings that agree come from one version of the file (or from versions that
    // agree on these keys).
    Reading last = readKeys(store_);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const Reading again = readKeys(store_);
        if (again == last)
            break;
        last = again;
    }
    return ledgerOf(last);
}

bool LifetimeStore::update(const std::function<LifetimeLedger(const LifetimeLedger&)>& change) {
    bool leftAlone = false;
    const bool written = store_.update([&](SettingsStore::Transaction& t) {
        const LifetimeLedger now = ledgerOf(readKeys(t));
        if (!now.totalKnown && !t.wholeFileUnderstood()) {
            leftAlone = true;
            return;
        }
        const LifetimeLedger next = change(now);
        t.write(keys::TimerVita, next.totalText());
        t.write(keys::TimerVitaAvvio, next.boot);
        t.write(keys::TimerVitaContati, next.countedText());
    });
    return written && !leftAlone;
}

} // namespace qx
