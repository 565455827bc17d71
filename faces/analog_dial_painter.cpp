// Draws the hands, the hub and the date disc of an analog dial from a state.
#include "faces/analog_dial_painter.h"

#include "faces/analog_hands.h"

#include <QPainter>
#include <cmath>

namespace qx {

AnalogDialPainter::AnalogDialPainter(const AnalogDialStyle& style) : style_(style) {}

void AnalogDialPainter::paint(QPainter& p, const AnalogDialState& s,
                              const std::function<void(QPainter&)>& overDisc) const {
    if (!s.hands)
        return;
    const AnalogDialStyle& st = style_;
    // Hard-edged strokes: an erasing stroke covers exactly the pixels of the stroke it erases.
    p.setRenderHint(QPainter::Antialiasing, st.cap != Qt::FlatCap);
    const auto hand = [&](double angle, double length, const QColor& colour, double width) {
        p.setPen(QPen(colour, width, Qt::SolidLine, st.cap));
        p.drawLine(st.centre, handEnd(st.centre, angle, length));
    };

    p.setPen(Qt::NoPen);
    p.setBrush(st.hub);
    p.drawEllipse(st.centre, st.hubDiameter / 2, st.hubDiameter / 2);

    hand(s.prec_sec, st.secondLength, st.face, st.secondPen);

    p.setPen(QPen(st.discOutline, 1));
    p.setBrush(st.disc);
    p.drawEllipse(st.discCentre, st.discRadius, st.discRadius);
    p.setBrush(Qt::NoBrush);
    if (overDisc) {
        p.save();
        overDisc(p);
        p.restore();
    }

    hand(s.prec_min, st.minuteLength, st.face, st.handPen);
    hand(s.angMin, st.minuteLength, st.hand, st.handPen);
    hand(s.prec_ore, st.hourLength, st.face, st.handPen);
    hand(s.angOre, st.hourLength, st.hand, st.handPen);
    hand(s.angSec, st.secondLength, st.second, st.secondPen);
}

QRect AnalogDialPainter::handBox(double angle, double length, double pen) const {
    const int margin = int(std::ceil(pen)) + 1;
    return QRectF(style_.centre, handEnd(style_.centre, angle, length))
        .normalized()
        .toAlignedRect()
        .adjusted(-margin, -margin, margin, margin);
}

QRegion AnalogDialPainter::changed(const AnalogDialState& a, const AnalogDialState& b) const {
    const AnalogDialStyle& st = style_;
    QRegion region;
    if (a.hands != b.hands) {
        const double hub = st.hubDiameter / 2 + 1;
        region |= QRectF(st.centre - QPointF(hub, hub), QSizeF(2 * hub, 2 * hub)).toAlignedRect();
        const double disc = st.discRadius + 2;
        region |= QRectF(st.discCentre - QPointF(disc, disc), QSizeF(2 * disc, 2 * disc)).toAlignedRect();
    }
    // Outside the strokes that moved, every figure is drawn the same in both states, in the same order.
    const auto stroke = [&](double AnalogDialState::*angle, double length, double pen) {
        if (a.hands != b.hands || a.*angle != b.*angle) {
            if (a.hands)
                region |= handBox(a.*angle, length, pen);
            if (b.hands)
                region |= handBox(b.*angle, length, pen);
        }
    };
    stroke(&AnalogDialState::prec_sec, st.secondLength, st.secondPen);
    stroke(&AnalogDialState::angSec, st.secondLength, st.secondPen);
    stroke(&AnalogDialState::prec_min, st.minuteLength, st.handPen);
    stroke(&AnalogDialState::angMin, st.minuteLength, st.handPen);
    stroke(&AnalogDialState::prec_ore, st.hourLength, st.handPen);
    stroke(&AnalogDialState::angOre, st.hourLength, st.handPen);
    return region;
}

} // namespace qx
