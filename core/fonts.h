// The type faces of the windows, mapped to free fonts that every machine with the clock has.
#pragma once

#include <QFont>

namespace qx {

// Sizes are given in points as on the original design resolution (96 dots per inch) and set in pixels, so that
// texts fit the boxes they were designed for whatever the screen's DPI setting.
QFont msSansSerif(qreal points, bool bold = false); // Liberation Sans, then DejaVu Sans
QFont arial(qreal points, bool bold = false);       // Liberation Sans
QFont arialBlack(qreal points);                     // DejaVu Sans Condensed Bold (a heavy face)
QFont haettenschweiler(qreal points);               // DejaVu Sans Condensed Bold (a heavy, narrow display face)

} // namespace qx
