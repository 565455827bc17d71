// The screensaver's analog face `Analogico`: the large dial in the middle of the screen, its hands and the day.
#pragma once

#include "faces/analog_dial_painter.h"
#include "faces/analog_hands.h"
#include "saver/saver_face.h"

#include <QFont>
#include <QPixmap>

namespace qx::saver {

class AnalogicoFace final : public SaverFace {
public:
    explicit AnalogicoFace(const Stage& stage);

    const FaceLayout& layout() const override { return layout_; }
    void paintStatic(QPainter& p) const override;
    void paintClock(QPainter& p, const QRegion& dirty) const override;
    QRegion clockTick(const QDateTime& now) override;
    QRegion colonTick(bool) override { return {}; }
    QRegion hideClock() override;
    QRegion showClock() override;

    // What the dial shows: the hands of the last tick with those they erased, or the dial alone while `hands` is
    // clear (before the first tick, and from the start of an interlude to the next tick after it).
    const AnalogDialState& dial() const { return dial_; }
    // `data_lbl`: the day of the month, two digits.
    const QString& dataLbl() const { return day_; }
    bool dataLblVisible() const { return dayShown_; }
    const AnalogDialStyle& style() const { return painter_.style(); }
    QRect dataLblBox() const { return dayBox_; }

private:
    FaceLayout layout_;
    Stage stage_;
    AnalogDialPainter painter_;
    QPixmap dial_picture_;
    QPoint dialAt_;
    QRect dayBox_;
    QFont dayFont_;
    AnalogDialState dial_;
    AnalogHands last_; // `prec_sec`, `prec_min`, `prec_ore`: where the hands were drawn last, 0 at first
    QString day_ = QStringLiteral("00");
    bool dayShown_ = true;
};

} // namespace qx::saver
