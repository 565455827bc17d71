// The digit slots of the screensaver's digital faces.
#include "saver/digit_slots.h"

namespace qx::saver {

DigitSlots::DigitSlots(std::vector<Slot> cells) : cells_(std::move(cells)), shown_(cells_.size(), QLatin1Char(' ')) {}

QRect DigitSlots::extent(std::size_t i) const {
    return QRect(cells_[i].topLeft, LcdPainter::extent(DigitSize::Large));
}

QRegion DigitSlots::show(const QString& orario) {
    QRegion changed;
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        const qsizetype at = cells_[i].position - 1;
        const QChar c = at < orario.size() ? orario[at] : QLatin1Char(' ');
        if (c != shown_[i]) {
            shown_[i] = c;
            if (visible_)
                changed += extent(i);
        }
    }
    return changed;
}

QRegion DigitSlots::setVisible(bool visible) {
    if (visible == visible_)
        return {};
    visible_ = visible;
    QRegion all;
    for (std::size_t i = 0; i < cells_.size(); ++i)
        all += extent(i);
    return all;
}

void DigitSlots::paint(QPainter& p, const LcdPainter& lcd, const QRegion& dirty) const {
    if (!visible_)
        return;
    for (std::size_t i = 0; i < cells_.size(); ++i)
        if (dirty.intersects(extent(i)))
            lcd.digit(p, cells_[i].topLeft, shown_[i], DigitSize::Large);
}

QString DigitSlots::digits() const {
    return QString(shown_.data(), qsizetype(shown_.size()));
}

Colon colonBars(const Stage& stage, double x, double upperTop, double upperBottom, double lowerTop, double lowerBottom,
                double shift) {
    const auto bar = [&](double top, double bottom) {
        return stage.rect(x, top, 0, bottom - top).adjusted(-2, 0, 3, 0);
    };
    return {bar(upperTop, upperBottom), bar(lowerTop, lowerBottom), pxi(shift)};
}

} // namespace qx::saver
