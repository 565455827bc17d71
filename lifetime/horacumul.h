// The lifetime accumulator: keeps the computer's lifetime total up to date while the user is logged on.
#pragma once

#include <QObject>
#include <QString>
#include <chrono>

class QTimer;

namespace qx {

class Clock;
class SettingsStore;

// Brings the total up to date every `period` while it runs, and whenever accumulate() is called (the program calls it
// when the log-on ends). Each update adds only the seconds of the current boot the total does not hold yet, so at
// most one period is lost to a power cut and no second is counted twice, however many updates or copies run.
class Horacumul : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kPeriod = std::chrono::minutes(10);

    Horacumul(const Clock& clock, SettingsStore& store, QString bootId, std::chrono::milliseconds period = kPeriod,
              QObject* parent = nullptr);

    // Adds the seconds of this boot not counted yet. Returns whether the store was brought up to date.
    bool accumulate();

    std::chrono::milliseconds period() const;

private:
    const Clock& clock_;
    SettingsStore& store_;
    QString bootId_;
    QTimer* timer_ = nullptr;
};

} // namespace qx
