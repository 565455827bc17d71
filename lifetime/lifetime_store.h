// The lifetime keys of the shared settings store, read together and brought up to date together.
#pragma once

#include "lifetime/lifetime_ledger.h"

#include <functional>

namespace qx {

class SettingsStore;

class LifetimeStore {
public:
    explicit LifetimeStore(SettingsStore& store) : store_(store) {}

    // "Timer vita", "Timer vita avvio" and "Timer vita contati" as they stand together, also while another program
    // is replacing them: a reading that falls across a replacement of the file is taken again.
    LifetimeLedger read() const;

    // Reads the three keys, has `change` compute their new values and writes them, as one step under the store's
    // lock: no other writer comes between, and no reader sees some of the keys new and others old. Returns whether the
    // new values reached the disk. A file with lines the store cannot read, in which no total can be read either, is
    // left alone: the total may be among those lines, and starting it again from 0 would lose it.
    bool update(const std::function<LifetimeLedger(const LifetimeLedger&)>& change);

private:
    SettingsStore& store_;
};

} // namespace qx
