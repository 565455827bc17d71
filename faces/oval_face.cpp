// What the tiny oval face "Mini" (window `Orologino`) shows, apart from its window.
#include "faces/oval_face.h"

#include "platform/clock.h"

#include <QRegularExpression>

namespace qx {

OvalFace::OvalFace(const Clock& clock, QLocale locale) : clock_(clock), separator_(timeSeparator(locale)) {
    const QDateTime now = clock_.now();
    toolTip_ = locale.toString(now.date(), QStringLiteral("dddd dd MMMM yyyy"));
    refresh(now);
}

void OvalFace::wake() {
    refresh(clock_.now());
}

void OvalFace::refresh(const QDateTime& now) {
    second_ = now.toSecsSinceEpoch();
    const QTime t = now.time();
    view_.Label1 = t.toString(QStringLiteral("hh")) + separator_ + t.toString(QStringLiteral("mm"));
    view_.Label2 = t.toString(QStringLiteral("ss"));
}

QString OvalFace::timeSeparator(const QLocale& locale) {
    // The characters between the hour field and the minute field of the short format ("HH:mm", "H.mm",
    // "HH 'h' mm"), quotes removed.
    const QString format = locale.timeFormat(QLocale::ShortFormat);
    const qsizetype hour = format.indexOf(QRegularExpression(QStringLiteral("[hH]")));
    const qsizetype minute = format.indexOf(QLatin1Char('m'), hour < 0 ? 0 : hour);
    if (hour < 0 || minute < 0)
        return QStringLiteral(":");
    qsizetype from = hour;
    while (from < minute && (format.at(from) == QLatin1Char('h') || format.at(from) == QLatin1Char('H')))
        ++from;
    QString separator = format.mid(from, minute - from);
    separator.remove(QLatin1Char('\''));
    return separator.isEmpty() ? QStringLiteral(":") : separator;
}

} // namespace qx
