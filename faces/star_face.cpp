// What the star-shaped face "Digitale" (window `Mini`) shows, apart from its window.
#include "faces/star_face.h"

#include "platform/clock.h"

#include <QDateTime>

namespace qx {

StarFace::StarFace(const Clock& clock, QLocale locale) : clock_(clock), locale_(std::move(locale)) {
    const QDateTime now = clock_.now();
    lastSecond_ = now.toSecsSinceEpoch();
    refresh(now);
}

void StarFace::wake() {
    const QDateTime now = clock_.now();
    if (const std::int64_t second = now.toSecsSinceEpoch(); second != lastSecond_) {
        lastSecond_ = second;
        separatorTick(now);
    }
    refresh(now);
}

void StarFace::refresh(const QDateTime& now) {
    const QString hhmm = now.time().toString(QStringLiteral("hhmm"));
    for (std::size_t i = 0; i < view_.digits.size(); ++i)
        view_.digits[i] = hhmm.at(qsizetype(i));
    // The names change once a day; making them is the costly part of a refresh.
    if (now.date() != labelsDate_) {
        labelsDate_ = now.date();
        view_.giornolbl = locale_.toString(labelsDate_, QStringLiteral("dd"));
        view_.gsett = locale_.toString(labelsDate_, QStringLiteral("dddd"));
        view_.mese = locale_.toString(labelsDate_, QStringLiteral("MMMM"));
        view_.anno = locale_.toString(labelsDate_, QStringLiteral("yyyy"));
    }
}

void StarFace::separatorTick(const QDateTime& now) {
    view_.lampeggio = !view_.lampeggio;
    view_.seclbl = now.time().toString(QStringLiteral("ss"));
}

void StarFace::toggle(StarToggle which) {
    switch (which) {
    case StarToggle::Secondi:
        view_.vissec = !view_.vissec;
        break;
    case StarToggle::MeseEAnno:
        view_.vismes = !view_.vismes;
        break;
    case StarToggle::Giorno:
        view_.visgiorno = !view_.visgiorno;
        break;
    }
}

bool StarFace::isShown(StarToggle which) const {
    switch (which) {
    case StarToggle::Secondi:
        return view_.vissec;
    case StarToggle::MeseEAnno:
        return view_.vismes;
    case StarToggle::Giorno:
        return view_.visgiorno;
    }
    return false;
}

} // namespace qx
