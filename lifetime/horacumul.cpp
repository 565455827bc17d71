// The lifetime accumulator: keeps the computer's lifetime total up to date while the user is logged on.
#include "lifetime/horacumul.h"

#include "lifetime/lifetime_store.h"
#include "platform/clock.h"

#include <QTimer>

namespace qx {

Horacumul::Horacumul(const Clock& clock, SettingsStore& store, QString bootId, std::chrono::milliseconds period,
                     QObject* parent)
    : QObject(parent), clock_(clock), store_(store), bootId_(std::move(bootId)) {
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("aggiornamento"));
    timer_->setInterval(period);
    connect(timer_, &QTimer::timeout, this, &Horacumul::accumulate);
    timer_->start();
}

std::chrono::milliseconds Horacumul::period() const {
    return timer_->intervalAsDuration();
}

bool Horacumul::accumulate() {
    return LifetimeStore(store_).update([this](const LifetimeLedger& ledger) {
        // The uptime is read once the store is ours: a second copy updating just before us has then read an
        // earlier uptime, never a later one, and nothing of it is counted again.
        return ledger.advancedTo(bootId_, uptimeSeconds(clock_.uptimeMs()));
    });
}

} // namespace qx
