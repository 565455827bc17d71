// Where the hands of the analog face point at a given time, and where a hand of a given angle ends.
#pragma once

#include <QDateTime>
#include <QPointF>
#include <QString>

namespace qx {

// The state a hands tick leaves behind; the chimes and the alarm read orario and ora12.
struct AnalogHands {
    QString orario;    // "hh.mm.ss", 24-hour
    int ora12 = 0;     // 13..23 folded to 1..11; 0 stays 0 and 12 stays 12
    double angSec = 0; // degrees clockwise from 3 o'clock, in [0, 360)
    double angMin = 0;
    double angOre = 0;
};

AnalogHands analogHandsAt(const QTime& time);

// The end of a hand of `length` pixels from `centre` at `angleDeg` clockwise from 3 o'clock. Pi is taken as 3.14, as
// the dial has always drawn it: a hand at 3 o'clock dips 0.18 degrees, one at 12 leans 0.05 degrees to the right.
QPointF handEnd(QPointF centre, double angleDeg, double length);

} // namespace qx
