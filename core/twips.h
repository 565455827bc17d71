// Positions and sizes of the window layouts are given in twips, 15 to the pixel.
#pragma once

#include <QPoint>
#include <QRect>
#include <cmath>

namespace qx {

constexpr double kTwipsPerPixel = 15.0;
constexpr double px(double twips) {
    return twips / kTwipsPerPixel;
}
inline int pxi(double twips) {
    return int(std::lround(twips / kTwipsPerPixel));
}
inline QRect twipRect(double left, double top, double width, double height) {
    return QRect(pxi(left), pxi(top), pxi(width), pxi(height));
}

} // namespace qx
