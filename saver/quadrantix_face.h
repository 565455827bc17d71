// The screensaver's large digital face `Quadrantix`: six digits, two colons and the date in a golden frame.
#pragma once

#include "saver/digital_face.h"

#include <QFont>
#include <QLocale>

namespace qx::saver {

class QuadrantixFace final : public DigitalFace {
public:
    // Weekday and month names come from `locale`, the system's by default.
    explicit QuadrantixFace(const Stage& stage, QLocale locale = QLocale::system());

    void paintClock(QPainter& p, const QRegion& dirty) const override;
    QRegion clockTick(const QDateTime& now) override;
    QRegion colonTick(bool pausa) override;
    QRegion hideClock() override;
    QRegion showClock() override;

    // `giorno_sett`, `datalbl`, `annolbl`: hidden until the first clock tick.
    bool labelsVisible() const { return labelsShown_; }
    QString giorno_sett() const { return texts_[0]; }
    QString datalbl() const { return texts_[1]; }
    QString annolbl() const { return texts_[2]; }
    bool fase_punti() const { return fase_punti_; }
    bool barsVisible() const { return barsShown_; }
    // `Line2`(i) above `Line1`(i), where they are now.
    std::array<QRect, 2> bars(int colon) const { return colons_[std::size_t(colon)].bars(fase_punti_); }

private:
    QRegion colonsExtent() const { return QRegion(colons_[0].extent()) + colons_[1].extent(); }
    QRegion labelsExtent() const { return QRegion(boxes_[0]) + boxes_[1] + boxes_[2]; }

    QLocale locale_;
    std::array<Colon, 2> colons_;
    std::array<QRect, 3> boxes_;
    std::array<QString, 3> texts_{QStringLiteral("giorno"), QStringLiteral("00 mese"), QStringLiteral("0000")};
    QFont labelFont_, yearFont_;
    bool labelsShown_ = false;
    bool fase_punti_ = false;
    bool barsShown_ = true;
};

} // namespace qx::saver
