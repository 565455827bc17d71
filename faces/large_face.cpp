// What the large digital face "Quadrantix" shows in each of its modes, apart from its window.
#include "faces/large_face.h"

#include "core/settings_store.h"
#include "platform/clock.h"
#include "platform/power/power_service.h"
#include "platform/trace.h"

#include <QDateTime>

namespace qx {

namespace {
constexpr std::int64_t kMillenniumSeconds = 42163200; // 1 September 1999 to 1 January 2001, 488 days
constexpr std::int64_t kHundredthNs = 10'000'000;

const QString kNonAttivo = QStringLiteral("Non attivo");
const QString kNonInModo = QStringLiteral("Non attivo in questa modalità");

// Two digits of a count as the pattern "00" gives them. A count of 100 or more (hours of a long uptime or stopwatch
// run) keeps its last two digits, so that the cells roll over like an odometer instead of freezing on the first two.
QString twoDigits(std::int64_t n) {
    if (n < 0)
        n = 0;
    return QStringLiteral("%1").arg(n % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

int millenniumDayOffset(int month, int year) {
    if (year == 1999) {
        switch (month) {
        case 10:
            return 30;
        case 11:
            return 61;
        case 12:
            return 91;
        default:
            break;
        }
    }
    if (year == 2000) {
        switch (month) {
        case 9:
            return 366;
        case 10:
            return 396;
        case 11:
            return 427;
        case 12:
            return 457;
        default:
            break;
        }
    }
    // January to August of any year: the offsets of the year 2000.
    constexpr int kJanToAug[] = {122, 153, 182, 213, 243, 274, 304, 335};
    return month >= 1 && month <= 8 ? kJanToAug[month - 1] : 0;
}

std::int64_t millenniumRemaining(QDate date, QTime time) {
    const std::int64_t days = date.day() - 1 + millenniumDayOffset(date.month(), date.year());
    const std::int64_t elapsed = days * 24 * 3600 + time.hour() * 3600 + time.minute() * 60 + time.second();
    return kMillenniumSeconds - elapsed;
}

LargeFace::LargeFace(const Clock& clock, const SettingsStore& store, PowerService& power, MessageBox showMessage,
                     QLocale locale)
    : clock_(clock), store_(store), power_(power), showMessage_(std::move(showMessage)), locale_(std::move(locale)),
      stopwatch_(clock), countdown_(clock) {
    buttons_ = {{
        {true, QStringLiteral("Seleziona modalità")},
        {false, kNonAttivo},
        {false, kNonAttivo},
        {false, kNonAttivo},
        {false, kNonAttivo},
        {false, kNonAttivo},
        {true, QStringLiteral("Analogico")},
        {true, QStringLiteral("Digitale")},
        {true, QStringLiteral("Mini")},
        {true, QStringLiteral("Opzioni")},
        {true, QStringLiteral("Attiva Screen Saver")},
        {true, QStringLiteral("Esci da Quadrantix")},
    }};
    const Reading r = read();
    qmilEnabled_ = r.now().date().year() < 2001;
    refreshedSecond_ = r.epochSecond();
    colonSecond_ = colonSecond(r);
}

LargeFace::Reading LargeFace::read() const {
    return {&clock_, clock_.epochNs(), clock_.uptimeMs(), std::nullopt};
}

const QDateTime& LargeFace::Reading::now() const {
    if (!local)
        local = clock->localTime(epochNs);
    return *local;
}

std::int64_t LargeFace::Reading::epochSecond() const {
    const std::int64_t s = epochNs / kSecondNs;
    return epochNs % kSecondNs < 0 ? s - 1 : s; // floor, as the local time's second is
}

LargeFace::ColonClock LargeFace::colonClock() const {
    if (mode_ == LargeMode::TimerWin)
        return ColonClock::Uptime;
    // Under the lap hold the digits stand still, and the colons may as well keep the wall clock's seconds.
    if (mode_ == LargeMode::Crono && stopwatch_.CronoAttivo() && !stopwatch_.CronoLap())
        return ColonClock::Stopwatch;
    if (mode_ == LargeMode::Rovescia && countdown_.running())
        return ColonClock::Countdown;
    return ColonClock::Wall;
}

std::int64_t LargeFace::colonSecond(const Reading& r) const {
    switch (colonClock()) {
    case ColonClock::Uptime:
        return std::int64_t(r.uptimeMs / 1000);
    case ColonClock::Stopwatch:
        return stopwatch_.elapsedCs() / 100;
    case ColonClock::Countdown:
        return countdown_.Contatore_r();
    case ColonClock::Wall:
        break;
    }
    return r.epochSecond();
}

void LargeFace::followColonClock(const Reading& r) {
    const ColonClock clock = colonClock();
    if (clock == colonClock_)
        return;
    colonClock_ = clock;
    colonSecond_ = colonSecond(r);
}

void LargeFace::wake() {
    const Reading r = read();
    followColonClock(r); // a countdown that ended by itself hands the colons back to the wall clock
    const std::int64_t second = colonSecond(r);
    if (second != colonSecond_) {
        colonSecond_ = second;
        if (Cursori_)
            colonTick();
    }
    refreshAt(r);
}

void LargeFace::refresh() {
    refreshAt(read());
}

void LargeFace::colonTick() {
    // Showing the bars and moving them 300 twips towards or away from each other comes down to these two flags.
    view_.colonsVisible = true;
    view_.CursoriUniti = !view_.CursoriUniti;
}

bool LargeFace::selectMode(LargeMode mode) {
    const bool millennio = mode == LargeMode::Millennio;
    const bool colonTimer = mode == LargeMode::Rovescia || mode == LargeMode::OraCorr || mode == LargeMode::TimerWin;
    // The millennium hides the colons; the colon timer's next tick shows them again, and a mode without that timer
    // (the stopwatch) shows them at once, where they stand.
    if (millennio)
        view_.colonsVisible = false;
    else if (!colonTimer)
        view_.colonsVisible = true;
    view_.p_milioni = view_.p_mille = millennio;
    view_.Shape2 = !millennio;

    if (millennio) {
        view_.cells[Centesimo1].visible = true;
    } else {
        for (DigitCell& cell : view_.cells)
            cell.visible = true;
    }

    std::array<ToolButtonState, 5> actions;
    switch (mode) {
    case LargeMode::Crono:
        actions = {{{true, QStringLiteral("Avvia")},
                    {true, QStringLiteral("Tempo intermedio")},
                    {true, QStringLiteral("Ferma")},
                    {true, QStringLiteral("Azzera")},
                    {false, kNonInModo}}};
        break;
    case LargeMode::Rovescia:
        actions = {{{true, QStringLiteral("Riprende")},
                    {false, kNonInModo},
                    {true, QStringLiteral("Sospende temporaneamente")},
                    {false, kNonInModo},
                    {true, QStringLiteral("Annulla")}}};
        break;
    default:
        actions.fill({false, kNonInModo});
        break;
    }
    std::copy(actions.begin(), actions.end(), buttons_.begin() + 1);

    const bool openDialog = mode == LargeMode::Rovescia && !countdown_.RovesciaAttivo();
    Cursori_ = colonTimer;
    mode_ = mode;
    changed(); // the new read-out shows at once, not at the next boundary
    return openDialog;
}

void LargeFace::changed() {
    const Reading r = read();
    followColonClock(r);
    refreshAt(r);
}

void LargeFace::startOrResume() {
    if (mode_ == LargeMode::Crono && !stopwatch_.CronoAttivo()) {
        stopwatch_.start();
        Cursori_ = true;
        if (tracing()) // the moment the count was zero, for the benchmark's reading of the shown hundredths
            traceEvent("crono-start", QString::number(clock_.uptimeNs() - stopwatch_.elapsedNs()));
    }
    if (mode_ == LargeMode::Rovescia && countdown_.paused()) {
        countdown_.resume();
        if (tracing() && countdown_.running())
            traceEvent("countdown", QString::number(clock_.epochNs() + countdown_.remainingNs()));
    }
    changed();
}

void LargeFace::toggleLap() {
    // The hold keeps the time of the press itself, not that of the last refresh before it, and shows it again
    // whenever the stopwatch comes back on show.
    stopwatch_.lap();
    changed();
}

void LargeFace::stopOrPause() {
    if (mode_ == LargeMode::Crono && stopwatch_.CronoAttivo()) {
        stopwatch_.stop();
        Cursori_ = false;
    }
    if (mode_ == LargeMode::Rovescia)
        countdown_.pause();
    changed();
}

void LargeFace::resetStopwatch() {
    stopwatch_.reset();
    changed();
}

void LargeFace::cancelCountdown() {
    countdown_.cancel();
    changed();
}

void LargeFace::startCountdown(std::int64_t seconds) {
    startCountdown(seconds, store_.endAction(keys::QuandoZero), store_.text(keys::ContoMessaggio));
}

void LargeFace::startCountdown(std::int64_t seconds, const QString& action, const QString& message) {
    startCountdown(seconds, countdownEndFromName(action), message);
}

void LargeFace::startCountdown(std::int64_t seconds, std::optional<CountdownEnd> action, const QString& message) {
    endAction_ = action;
    endMessage_ = message;
    countdown_.start(seconds, [this] { endCountdown(); });
    if (tracing()) // its deadline on the wall clock, for the benchmark's delay of the end action
        traceEvent("countdown", QString::number(clock_.epochNs() + countdown_.remainingNs()));
    changed();
}

void LargeFace::endCountdown() {
    traceEvent("countdown-end");
    // The action chosen when this countdown started: the store may hold another copy's by now.
    if (!endAction_)
        return;
    switch (*endAction_) {
    case CountdownEnd::Arresta:
        power_.powerOff();
        break;
    case CountdownEnd::Riavvia:
        power_.reboot();
        break;
    case CountdownEnd::Messaggio:
        if (showMessage_)
            showMessage_(endMessage_);
        break;
    }
}

WakeSchedule LargeFace::uptimeWakes() const {
    if (mode_ == LargeMode::TimerWin)
        return {kSecondNs, 0};
    if (mode_ == LargeMode::Crono && stopwatch_.CronoAttivo() && !stopwatch_.CronoLap())
        return {kHundredthNs, stopwatch_.phaseNs(kHundredthNs)};
    return {};
}

WakeSchedule LargeFace::countdownWakes() const {
    if (!countdown_.running())
        return {};
    return {kSecondNs, countdown_.secondPhaseNs()};
}

// The refresh cycle: every step on every call, in this order; a step whose mode is not chosen does nothing.
void LargeFace::refreshAt(const Reading& r) {
    refreshedSecond_ = r.epochSecond();
    view_.lbl_Allarme = store_.flag(keys::Allarme); // on when the alarm check would ring
    if (mode_ == LargeMode::Crono)
        cronoReadOut();
    view_.lbl_Crono = stopwatch_.CronoAttivo();
    view_.Label2 = stopwatch_.CronoLap();
    if (mode_ == LargeMode::Rovescia)
        rovesciaReadOut(r.now());
    // The countdown is over before its action runs, so that it runs once and "COUNT DOWN" goes in this same cycle.
    countdown_.tick();
    view_.cdstop = countdown_.paused();
    view_.lbl_Rovescia = countdown_.RovesciaAttivo();
    if (mode_ == LargeMode::OraCorr)
        oraCorrReadOut(r.now());
    if (mode_ == LargeMode::TimerWin)
        timerWinReadOut(r);
    if (mode_ == LargeMode::Millennio)
        millennioReadOut(r.now());
}

void LargeFace::showDateLabels(const QDateTime& now) {
    const QDate date = now.date();
    if (date != labelsDate_) { // the names are made once a day, not at every refresh
        labelsDate_ = date;
        view_.annolbl.text = locale_.toString(date, u"yyyy");
        view_.giorno_sett.text = locale_.toString(date, u"dddd");
        view_.datalbl.text = locale_.toString(date, u"dd MMMM");
    }
    view_.annolbl.visible = view_.giorno_sett.visible = view_.datalbl.visible = true;
    view_.cells[Centesimo0].visible = false;
    view_.cells[Centesimo1].visible = false;
}

void LargeFace::hideDateLabels() {
    view_.giorno_sett.visible = false;
    view_.datalbl.visible = false;
    view_.annolbl.visible = false;
}

void LargeFace::render(const QString& digits, LargeCell first) {
    for (qsizetype i = 0; i < digits.size() && first + i < kLargeCellCount; ++i)
        view_.cells[first + i].digit = digits[i];
}

void LargeFace::renderHms(std::int64_t hours, std::int64_t minutes, std::int64_t seconds) {
    render(twoDigits(hours) + twoDigits(minutes) + twoDigits(seconds), Ore0);
}

void LargeFace::cronoReadOut() {
    view_.cells[Centesimo0].visible = true;
    view_.cells[Centesimo1].visible = true;
    hideDateLabels();
    // Hours, minutes, and the seconds with their hundredths as four digits ("0000").
    const std::int64_t cs = stopwatch_.shownCs();
    render(twoDigits(cs / 360000) + twoDigits(cs / 6000 % 60) +
               QStringLiteral("%1").arg(cs % 6000, 4, 10, QLatin1Char('0')),
           Ore0);
}

void LargeFace::rovesciaReadOut(const QDateTime& now) {
    showDateLabels(now);
    const std::int64_t left = countdown_.Contatore_r();
    renderHms(left / 3600, left % 3600 / 60, left % 60);
}

void LargeFace::oraCorrReadOut(const QDateTime& now) {
    showDateLabels(now);
    const QTime t = now.time(); // "hh.mm.ss" without its dots
    renderHms(t.hour(), t.minute(), t.second());
}

void LargeFace::timerWinReadOut(const Reading& r) {
    showDateLabels(r.now());
    const std::int64_t s = std::int64_t(r.uptimeMs / 1000);
    renderHms(s / 3600, s % 3600 / 60, s % 60);
}

void LargeFace::millennioReadOut(const QDateTime& now) {
    hideDateLabels();
    const std::int64_t remaining = millenniumRemaining(now.date(), now.time());
    view_.cells[Ore0].visible = remaining >= 10000000;
    view_.cells[Ore1].visible = view_.p_milioni = remaining >= 1000000;
    view_.cells[Minuti0].visible = remaining >= 100000;
    view_.cells[Minuti1].visible = remaining >= 10000;
    view_.cells[Secondi0].visible = view_.p_mille = remaining >= 1000;
    view_.cells[Secondi1].visible = remaining >= 100;
    view_.cells[Centesimo0].visible = remaining >= 10;
    render(QStringLiteral("%1").arg(remaining, 8, 10, QLatin1Char('0')), Ore0);
}

} // namespace qx
