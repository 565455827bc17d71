// What the large digital face "Quadrantix" shows in each of its modes, apart from its window: tests drive it tick by
// tick.
#pragma once

#include "core/face_commands.h"
#include "core/setting_values.h"
#include "faces/stopwatch.h"

#include <QChar>
#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace qx {

class Clock;
class PowerService;
class SettingsStore;

// Days from 1 September 1999 to the first day of the given month; 0 for the months the table does not name.
int millenniumDayOffset(int month, int year);
// Seconds left until 1 January 2001 00:00:00 as the face counts them: every day has 86400 seconds, and dates outside
// September 1999 to December 2000 give a count with no meaning, but always one of eight digits at most.
std::int64_t millenniumRemaining(QDate date, QTime time);

// The mode menu's items, in menu order, and no mode at all (a freshly opened face).
enum class LargeMode { None, Crono, Rovescia, OraCorr, TimerWin, Millennio };

// The eight digit cells from left to right: `ore`, `minuti`, `secondi` (large) and `centesimo` (small), each two.
enum LargeCell { Ore0, Ore1, Minuti0, Minuti1, Secondi0, Secondi1, Centesimo0, Centesimo1, kLargeCellCount };

struct DigitCell {
    QChar digit; // null until a read-out first gives the cell a picture
    bool visible = true;
    bool lit() const { return visible && !digit.isNull(); }
    bool operator==(const DigitCell&) const = default;
};

struct TextLabel {
    QString text;
    bool visible = false;
    bool operator==(const TextLabel&) const = default;
};

// Everything on the face's panel, as the window paints it.
struct LargeFaceView {
    std::array<DigitCell, kLargeCellCount> cells{};
    bool colonsVisible = true; // the four bars `Line1` and `Line2` are always shown or hidden together
    bool CursoriUniti = false; // the bars of each colon joined in the middle
    bool p_milioni = false;
    bool p_mille = false;
    bool Shape2 = true;
    TextLabel giorno_sett, datalbl, annolbl;
    bool lbl_Rovescia = false; // "COUNT DOWN"
    bool cdstop = false;       // "STOP"
    bool lbl_Crono = false;    // "CRONO"
    bool Label2 = false;       // "LAP"
    bool lbl_Allarme = false;  // "ALARM"
    bool operator==(const LargeFaceView&) const = default;
};

struct ToolButtonState {
    bool enabled = true;
    QString toolTip;
    bool operator==(const ToolButtonState&) const = default;
};

// When one of the window's timers is to wake: at phaseNs + k·periodNs of its clock, or not at all (period 0).
struct WakeSchedule {
    std::int64_t periodNs = 0;
    std::int64_t phaseNs = 0;
    bool operator==(const WakeSchedule&) const = default;
};

class LargeFace {
public:
    // What the end of a countdown asks for beyond the face: a shut-down or restart through `power`, or the stored
    // message, which `showMessage` puts before the user without waiting for them.
    using MessageBox = std::function<void(const QString& message)>;
    LargeFace(const Clock& clock, const SettingsStore& store, PowerService& power, MessageBox showMessage,
              QLocale locale = QLocale::system());

    const LargeFaceView& view() const { return view_; }
    // Buttons 1 to 12 of the toolbar at indexes 0 to 11.
    const std::array<ToolButtonState, 12>& buttons() const { return buttons_; }
    LargeMode mode() const { return mode_; }
    bool qmilEnabled() const { return qmilEnabled_; }
    bool colonTimerOn() const { return Cursori_; }
    // The wall-clock second of the last refresh, in seconds since the epoch.
    std::int64_t refreshedSecond() const { return refreshedSecond_; }

    // A wake-up of the window: the colon tick when a new second has begun and the colon timer is on, then the
    // refresh cycle. The colons keep the seconds of the read-out on show, so that they change together with its
    // digits: the uptime's in the run-time mode, the running stopwatch's or countdown's in their modes (not under the
    // lap hold or a pause, when the digits stand still), the wall clock's otherwise. The clocks are read once.
    void wake();
    // The refresh cycle alone, reading the clocks once.
    void refresh();
    // The colon timer's tick.
    void colonTick();

    // Choosing an item of the mode menu. Returns true when the countdown dialog is to be opened.
    bool selectMode(LargeMode mode);

    // Toolbar buttons 2 to 5, each acting only in the mode and state that the buttons' table enables it for, and
    // showing its effect at once. 2 starts the stopwatch in the stopwatch mode (its colons then blink) and resumes a
    // paused countdown in the countdown mode; 3 holds the stopwatch's digits at the time of the press, or shows the
    // count again; 4 stops the stopwatch, or pauses a running countdown, in their modes; 5 sets a stopped stopwatch
    // back to zero.
    void startOrResume();
    void toggleLap();
    void stopOrPause();
    void resetStopwatch();
    // Button 6, once the user has said yes: ends an active countdown without its end action.
    void cancelCountdown();
    // Starts a countdown of `seconds` from now, as the countdown dialog asks; at its end `action` (none: nothing)
    // runs, once, with `message`. Both are the ones of this countdown's start: another copy of the clock that stores
    // its own meanwhile changes nothing here. The action may come as the dialog stores it under "Quando zero"
    // ("Arresta", "Riavvia" or "Messaggio", exactly); without them, the values stored now. A countdown of 0 seconds
    // ends at once.
    void startCountdown(std::int64_t seconds, std::optional<CountdownEnd> action, const QString& message);
    void startCountdown(std::int64_t seconds, const QString& action, const QString& message);
    void startCountdown(std::int64_t seconds);

    // The stopwatch and the countdown go on whatever mode is shown; the refresh reads them, and ends the countdown.
    const Stopwatch& stopwatch() const { return stopwatch_; }
    const Countdown& countdown() const { return countdown_; }

    // A face switch or exit would interrupt the stopwatch or a countdown, so it must be confirmed.
    bool busy() const { return stopwatch_.CronoAttivo() || countdown_.RovesciaAttivo(); }

    // Besides the wall clock's seconds, the face wakes on the uptime: at its seconds in the run-time mode, and at
    // each hundredth of a running stopwatch on show (not under the lap hold); otherwise not.
    WakeSchedule uptimeWakes() const;
    // While a countdown runs, in every mode: at each second of it, down to its deadline.
    WakeSchedule countdownWakes() const;

    // The last face or exit command requested from the toolbar (a face's show command or the exit), none before.
    std::optional<Command> Fai() const { return Fai_; }
    void setFai(Command command) { Fai_ = command; }

private:
    // One reading of the clocks. The local date and time is worked out only when a read-out asks for it: a running
    // stopwatch, woken a hundred times a second, shows none of it.
    struct Reading {
        const Clock* clock;
        std::int64_t epochNs;
        std::uint64_t uptimeMs;
        mutable std::optional<QDateTime> local;
        const QDateTime& now() const;
        std::int64_t epochSecond() const;
    };
    // Whose seconds the colons keep: those of the read-out on show.
    enum class ColonClock { Wall, Uptime, Stopwatch, Countdown };
    Reading read() const;
    ColonClock colonClock() const;
    std::int64_t colonSecond(const Reading& r) const;
    // After a change of mode or of what runs: the colons' next tick comes at the next second of the clock they now
    // keep, not at once.
    void followColonClock(const Reading& r);
    // Brings the colons and the read-out up to date after an operation.
    void changed();
    void endCountdown();
    void refreshAt(const Reading& r);
    void showDateLabels(const QDateTime& now);
    void hideDateLabels();
    void render(const QString& digits, LargeCell first);
    void renderHms(std::int64_t hours, std::int64_t minutes, std::int64_t seconds);
    void cronoReadOut();
    void rovesciaReadOut(const QDateTime& now);
    void oraCorrReadOut(const QDateTime& now);
    void timerWinReadOut(const Reading& r);
    void millennioReadOut(const QDateTime& now);

    const Clock& clock_;
    const SettingsStore& store_;
    std::optional<CountdownEnd> endAction_; // of the running countdown
    QString endMessage_;
    PowerService& power_;
    MessageBox showMessage_;
    QLocale locale_;
    LargeFaceView view_;
    std::array<ToolButtonState, 12> buttons_;
    LargeMode mode_ = LargeMode::None;
    bool qmilEnabled_ = true;
    bool Cursori_ = true;
    std::int64_t refreshedSecond_ = 0;
    ColonClock colonClock_ = ColonClock::Wall;
    std::int64_t colonSecond_ = 0;
    QDate labelsDate_; // the date the label texts were made for
    Stopwatch stopwatch_;
    Countdown countdown_;
    std::optional<Command> Fai_;
};

} // namespace qx
