// Where the hands of the analog face point at a given time, and where a hand of a given angle ends.
#include "faces/analog_hands.h"

#include <cmath>

namespace qx {

namespace {
double wrap(double a) {
    return a < 0 ? a + 360 : a;
}
} // namespace

AnalogHands analogHandsAt(const QTime& time) {
    AnalogHands h;
    h.orario = time.toString(QStringLiteral("hh.mm.ss"));
    const int s = h.orario.mid(6, 2).toInt();
    const int m = h.orario.mid(3, 2).toInt();
    const int hour = h.orario.left(2).toInt();
    h.angSec = wrap(s * 6 - 90);
    h.angMin = wrap(m * 6 - 90);
    h.ora12 = hour >= 13 ? hour - 12 : hour;
    h.angOre = wrap(h.ora12 * 30 + m * 5.0 / 60.0 * 6.0 - 90);
    return h;
}

QPointF handEnd(QPointF centre, double angleDeg, double length) {
    const double radians = (360 - angleDeg) * 3.14 / 180;
    return centre + QPointF(length * std::cos(radians), -length * std::sin(radians));
}

} // namespace qx
