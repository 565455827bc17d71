// The closing splash `fine`: shown by every exit command, it blinks, closes in on itself, says goodbye and closes.
#pragma once

#include <QPixmap>
#include <QWidget>

class QLabel;
class QTimer;
class QVariantAnimation;

namespace qx {

// What the splash shows after each tick of its half-second timer, apart from the window. Ticks 1 to 9 blink
// "Chiusura in corso" (hidden after odd ticks); the ninth fills the window with black from the rim inwards, hiding
// the text and the logo; "Arrivederci" shows from the tenth; the eleventh closes the splash (5.5 s after opening).
class SplashTimeline {
public:
    bool Label1 = true;  // "Chiusura in corso"
    bool Image1 = true;  // the logo
    bool Label2 = false; // "Arrivederci"
    bool black = false;  // the black circles have covered the window

    // One tick; returns false when the splash is to close.
    bool tick();
    int count() const { return count_; }

private:
    qint16 count_ = 0; // the tick counter
};

class fine : public QWidget {
    Q_OBJECT
public:
    // Loading: the elliptic shape, centred on the screen, the timer running. The window deletes itself when closed.
    fine();

    const SplashTimeline& timeline() const { return timeline_; }
    // The timer's tick (public so that tests can run the timeline by hand).
    void tick();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SplashTimeline timeline_;
    QTimer* Timer1 = nullptr;
    QPixmap logo_; // at the screen's pixel ratio
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QVariantAnimation* circles_ = nullptr; // the black closing in, from the rim (0) to the middle (1)
};

// Opens the closing splash; it closes itself.
fine* showClosingSplash();

} // namespace qx
