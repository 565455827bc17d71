// The daily alarm check: opens the alarm window at the stored hour and minute, after any chime has finished.
#pragma once

#include <QString>

namespace qx {

class SettingsStore;

class AlarmCheck {
public:
    explicit AlarmCheck(const SettingsStore& store) : store_(store) {}

    // One alarm tick. Returns true when the alarm window is to be opened (or brought to the front) now.
    // The window opens at most once per matching minute: at the first tick of that minute whose seconds are not 0
    // and at which no chime is sounding. A chime sounding through the whole minute loses that day's alarm.
    bool tick(const QString& orario, bool chimeInProgress);

    // Opened for the current match, or (with allarme_sospeso) put off by a chime during it.
    bool allarme_mostrato = false;
    bool allarme_sospeso = false;

private:
    const SettingsStore& store_;
};

} // namespace qx
