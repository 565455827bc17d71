// The lifetime keys of the shared settings store, read together and brought up to date together.
#include "lifetime/lifetime_store.h"

#include "core/settings_store.h"

#include <array>

namespace qx {

namespace {
using Texts = std::array<QString, 3>;

// From the store, or from a transaction on it.
template <typename Reader> Texts readTexts(const Reader& from) {
    return {from.read(keys::TimerVita), from.read(keys::TimerVitaAvvio), from.read(keys::TimerVitaContati)};
}

LifetimeLedger ledgerOf(const Texts& texts) {
    return LifetimeLedger::fromText(texts[0], texts[1], texts[2]);
}
} // namespace

LifetimeLedger LifetimeStore::read() const {
    // Each key is read on its own; two readings that agree come from one version of the file (or from versions that
    // agree on these keys).
    Texts last = readTexts(store_);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const Texts again = readTexts(store_);
        if (again == last)
            break;
        last = again;
    }
    return ledgerOf(last);
}

bool LifetimeStore::update(const std::function<LifetimeLedger(const LifetimeLedger&)>& change) {
    bool leftAlone = false;
    const bool written = store_.update([&](SettingsStore::Transaction& t) {
        const LifetimeLedger now = ledgerOf(readTexts(t));
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
