// The daily alarm check: opens the alarm window at the stored hour and minute, after any chime has finished.
#include "events/alarm.h"

#include "core/settings_store.h"

namespace qx {

bool AlarmCheck::tick(const QString& orario, bool chimeInProgress) {
    if (orario.size() != 8 || orario.mid(6, 2).toInt() == 0)
        return false;
    if (!store_.flag(keys::Allarme))
        return false;
    const std::optional<int> minuti = store_.minute(keys::AllarmeMinuti);
    const std::optional<int> ore = store_.hour(keys::AllarmeOre);
    // Two digits, as the clock writes them: a stored "7" never matches the clock's "07".
    if (!minuti || !ore || minuti != value::minute(QStringView(orario).mid(3, 2)) ||
        ore != value::hour(QStringView(orario).left(2))) {
        allarme_mostrato = false;
        allarme_sospeso = false;
        return false;
    }
    if (allarme_mostrato)
        return false;
    if (chimeInProgress) {
        allarme_sospeso = true;
        return false;
    }
    allarme_mostrato = true;
    allarme_sospeso = false;
    return true;
}

} // namespace qx
