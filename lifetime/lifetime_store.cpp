// The lifetime keys of the shared settings store, read together and brought up to date together.
#include "lifetime/lifetime_store.h"

#include "core/settings_store.h"

#include <array>

namespace qx {

namespace {
using Texts = std::array<QString, 3>;

Texts readTexts(const SettingsStore& store) {
    return {store.read(keys::TimerVita), store.read(keys::TimerVitaAvvio), store.read(keys::TimerVitaContati)};
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
    // One key at a time: a reader between the writes sees a mixture, and a second writer may interleave.
    const LifetimeLedger next = change(ledgerOf(readTexts(store_)));
    return store_.write(keys::TimerVita, next.totalText()) && store_.write(keys::TimerVitaAvvio, next.boot) &&
           store_.write(keys::TimerVitaContati, next.countedText());
}

} // namespace qx
