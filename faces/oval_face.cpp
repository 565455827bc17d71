// What the tiny oval face "Mini" (window `Orologino`) shows, apart from its window.
#include "faces/oval_face.h"

#include "platform/clock.h"

#include <QRegularExpression>

namespace qx {

namespace {
QString twoDigits(int n) {
    const QChar digits[2] = {QChar(u'0' + n / 10), QChar(u'0' + n % 10)};
    return QString(digits, 2);
}
} // namespace

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
    // "hh", "mm" and "ss" by hand: a formatter run three times a second costs more than the rest of the tick.
    const QTime t = now.time();
    view_.Label1 = twoDigits(t.hour()) + separator_ + twoDigits(t.minute());
    view_.Label2 = twoDigits(t.second());
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
