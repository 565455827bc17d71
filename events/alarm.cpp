// The daily alarm check: opens the alarm window at the stored hour and minute, after any chime has finished.
#include "events/alarm.h"

#include "core/settings_store.h"

namespace qx {

bool AlarmCheck::tick(const QString& orario, bool chimeInProgress) {
    if (orario.size() != 8 || orario.mid(6, 2).toInt() == 0)
        return false;
    if (store_.read(keys::Allarme) != QLatin1String("1"))
        return false;
    const QString minuti = store_.read(keys::AllarmeMinuti);
    const QString ore = store_.read(keys::AllarmeOre);
    // Exact text: a stored "7" never matches the clock's "07".
    if (orario.mid(3, 2) != minuti || orario.left(2) != ore) {
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
