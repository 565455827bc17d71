// What the star-shaped face "Digitale" (window `Mini`) shows, apart from its window: tests drive it tick by tick.
#pragma once

#include <QChar>
#include <QDate>
#include <QLocale>
#include <QString>
#include <array>
#include <cstdint>

namespace qx {

class Clock;

// The three display toggles of the "&Visualizza" submenu.
enum class StarToggle { Secondi, MeseEAnno, Giorno };

struct StarFaceView {
    std::array<QChar, 4> digits{}; // `ore` 0 and 1, `minuti` 0 and 1; null until the first refresh
    bool lampeggio = true;         // the separator: a colon while true, one central stroke while false
    QString seclbl = QStringLiteral("00");
    QString giornolbl, gsett, mese, anno; // refreshed whether shown or not
    bool vissec = false;                  // "&Secondi": `Shape3`, `seclbl`
    bool vismes = false;                  // "&Mese e anno": `Shape4`, `Shape5`, `mese`, `anno`
    bool visgiorno = false;               // "&Giorno": `Shape6`, `gsett`, `Shape2`, `giornolbl`
    bool operator==(const StarFaceView&) const = default;
};

class StarFace {
public:
    // Opening: the time refresh at once, with the separator a colon, all toggles off and the seconds "00" until
    // the separator's first tick.
    explicit StarFace(const Clock& clock, QLocale locale = QLocale::system());

    const StarFaceView& view() const { return view_; }

    // A wake-up of the window, just after a boundary of the wall clock's seconds: the separator tick when a new
    // second has begun since the last one, then the time refresh. The clock is read once. The separator and the
    // seconds thus keep the clock's seconds (not seconds counted from the opening), and the minute digits change at
    // the same wake-up as the real minute.
    void wake();
    // `Timer1`: the four digits and the four date labels.
    void refresh(const QDateTime& now);
    // `Timer2`: the separator turns, the seconds label follows the clock.
    void separatorTick(const QDateTime& now);

    // A "&Visualizza" item: shows its elements and checks it when unchecked, and the other way round.
    void toggle(StarToggle which);
    bool isShown(StarToggle which) const;

    // The wall-clock second of the last separator tick (of the opening, before the first), since the epoch.
    std::int64_t second() const { return lastSecond_; }

private:
    const Clock& clock_;
    QLocale locale_;
    StarFaceView view_;
    std::int64_t lastSecond_ = 0;
    QDate labelsDate_; // the date the label texts were made for
};

} // namespace qx
