// What the tiny oval face "Mini" (window `Orologino`) shows, apart from its window: tests drive it tick by tick.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <cstdint>

namespace qx {

class Clock;

struct OvalFaceView {
    QString Label1 = QStringLiteral("00.00"); // hours and minutes with the system's time separator
    QString Label2 = QStringLiteral("00");    // seconds
    bool operator==(const OvalFaceView&) const = default;
};

class OvalFace {
public:
    // Opening: the date of the tooltips, then the first time refresh.
    explicit OvalFace(const Clock& clock, QLocale locale = QLocale::system());

    const OvalFaceView& view() const { return view_; }
    // "dddd dd mmmm yyyy" of the moment the face opened; it is made only then.
    const QString& toolTip() const { return toolTip_; }

    // A wake-up of the window: the time refresh, reading the clock once.
    void wake();
    // The wall-clock second of the last refresh, since the epoch.
    std::int64_t second() const { return second_; }
    // `Timer1`: both labels.
    void refresh(const QDateTime& now);

    // What the locale puts between the hours and the minutes of a short time (":" when it names nothing).
    static QString timeSeparator(const QLocale& locale);

private:
    const Clock& clock_;
    QString separator_;
    QString toolTip_;
    OvalFaceView view_;
    std::int64_t second_ = 0;
};

} // namespace qx
