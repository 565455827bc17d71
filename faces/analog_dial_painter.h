// Draws the hands, the hub and the date disc of an analog dial from a state: the clock's face and the screensaver's.
#pragma once

#include <QColor>
#include <QPointF>
#include <QRegion>

#include <functional>

class QPainter;

namespace qx {

// Where and how a dial's figures are drawn, in the pixels of the widget that shows the dial.
struct AnalogDialStyle {
    QPointF centre;
    double secondLength = 0, minuteLength = 0, hourLength = 0;
    double secondPen = 1, handPen = 3; // the minute and hour hands share their pen
    double hubDiameter = 10;
    QPointF discCentre;
    double discRadius = 10;
    Qt::PenCapStyle cap = Qt::FlatCap;
    QColor face{0, 102, 102}; // what the previous hands are erased with: the dial's colour wherever hands reach
    QColor hand{255, 255, 255};
    QColor second{0, 255, 0};
    QColor hub{255, 0, 0};
    QColor disc{252, 62, 157};
    QColor discOutline{255, 255, 255};
};

// The angles of the last tick and those at which the hands were drawn the time before (degrees clockwise from
// 3 o'clock), which the tick erases first.
struct AnalogDialState {
    bool hands = false; // false until the first tick: the dial alone
    double angSec = 0, angMin = 0, angOre = 0;
    double prec_sec = 0, prec_min = 0, prec_ore = 0;
    bool operator==(const AnalogDialState&) const = default;
};

// A tick draws over the dial, in order: the hub; the previous second hand in the face colour; the date disc and what
// lies on it; the previous minute hand erased and the new one drawn; the previous hour hand erased and the new one
// drawn; the new second hand. An erasing stroke leaves the dial's own colour, so drawing the whole sequence over a
// fresh dial gives exactly what erasing over the last tick's picture did, erasing strokes across the hub and the disc
// included. The painter therefore draws from the state alone, and a widget may repaint any part of it at any time.
class AnalogDialPainter {
public:
    explicit AnalogDialPainter(const AnalogDialStyle& style);

    const AnalogDialStyle& style() const { return style_; }

    // Paints over the dial picture, which the caller has drawn already. `overDisc` draws what lies on the date disc
    // (the clock's date label), after the disc and before the minute and hour hands, so that the hands pass over it.
    void paint(QPainter& painter, const AnalogDialState& state,
               const std::function<void(QPainter&)>& overDisc = {}) const;
    // Where the picture of `after` can differ from that of `before`.
    QRegion changed(const AnalogDialState& before, const AnalogDialState& after) const;

private:
    QRect handBox(double angle, double length, double pen) const;

    AnalogDialStyle style_;
};

} // namespace qx
