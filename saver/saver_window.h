// A face window of the screensaver: full screen, the face's clock, the half-minute interlude and the ways out.
#pragma once

#include "core/faces.h"
#include "saver/interlude.h"
#include "saver/leave_rules.h"
#include "saver/saver_face.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace qx {
class BoundaryTimer;
class Clock;
class HiResTimer;
class Random;
class SettingsStore;
} // namespace qx

namespace qx::saver {

class HiddenPointer;

// The notice under every face; the maker's labels are the maker's name, site and mail (core/program_info.h).
namespace maker {
inline constexpr const char* kNotice = "\u00a9 2026 Progetto Quadrantix";
} // namespace maker

// One wake-up a second drives everything while the clock shows: just after each second boundary the window starts
// an interlude at seconds 0 and 30, or leaves if the pointer has moved, then runs the face's colon and clock ticks.
// An interlude sprinkles its points a share per frame of the display for about three seconds, serving keys and the
// pointer between frames, with the window's other ticks held off; then `Timer1` ticks once a second to its end.
// A key that types a character leaves at once, whatever runs; a pointer movement leaves at once outside the seconds
// 0 and 30, and at the next tick in them.
class SaverWindow : public FaceWindow {
    Q_OBJECT
public:
    static constexpr QColor kGrey{192, 192, 192}; // the system's colour of three-dimensional faces
    static constexpr std::int64_t kSprinkleNs = 3'000'000'000;

    SaverWindow(std::unique_ptr<SaverFace> face, const Stage& stage, const Clock& clock, const SettingsStore& store,
                Random& random, HiddenPointer& pointer);
    ~SaverWindow() override;

    SaverFace& face() const { return *face_; }
    const Stage& stage() const { return stage_; }
    const Interlude& interlude() const { return interlude_; }
    const InterludeGeometry& interludeGeometry() const { return geometry_; }
    const InterludeCanvas& canvas() const { return canvas_; }
    const PointerRule& pointerRule() const { return pointerRule_; }
    bool mosso() const { return pointerRule_.mosso(); }
    QColor backgroundColour() const { return background_colour_; }
    int pointsSprinkled() const { return sprinkled_; }
    bool leaving() const { return leaving_; }
    bool isTimer1Active() const;
    // Covers every screen but this window's own with black, for as long as this window is open; a key or a pointer
    // movement over a cover counts as one over the face.
    void coverOtherScreens();
    const std::vector<QPointer<QWidget>>& covers() const { return covers_; }
    // The labels' text: the maker's name, web address and e-mail.
    static QString makerLabel(int index);

    // What the timers run; tests drive them by hand with a fake clock.
    void secondTick();    // just after each second boundary
    void sprinkleFrame(); // once a frame while points are sprinkled
    void interludeTick(); // `Timer1`, once a second after the sprinkling
    // The pointer at `position` (window pixels), as mouse movement reports it.
    void pointerMoved(QPointF position);

    // Shows the pointer again and closes the window; the program ends with it.
    void leave(const char* why = "leave");

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void startInterlude(const QDateTime& now);
    void endSprinkle();
    void endInterlude();
    void renderBackground();
    void paintLabel(QPainter& p) const;
    void grabInput();
    void stopForLeaving(const char* why);
    bool inTriggerSecond() const;
    void showClockChanges(const QRegion& changed, const QDateTime& now);

    std::unique_ptr<SaverFace> face_;
    Stage stage_;
    const Clock& clock_;
    const SettingsStore& store_;
    Random& random_;
    HiddenPointer& pointer_;
    Interlude interlude_;
    InterludeGeometry geometry_;
    InterludeCanvas canvas_;
    PointerRule pointerRule_;
    QColor background_colour_ = kGrey;
    QImage background_; // the background colour with the face's pictures, badges and notice

    BoundaryTimer* HiResTimer2 = nullptr; // the second ticks: trigger, leave check, colon and clock
    HiResTimer* Timer1 = nullptr;
    QTimer frames_;
    std::optional<TickGate::Hold> sprinkling_; // no tick of this window while points are sprinkled
    std::int64_t sprinkleStartNs_ = 0;
    int sprinkled_ = 0;
    std::int64_t shownSecond_ = 0;
    bool labelOnCanvas_ = false; // from the reminder on, the maker label lies under it
    bool grabbed_ = false;
    bool grabAsked_ = false;
    bool leaving_ = false;
    std::vector<QPointer<QWidget>> covers_;
};

// The start-up routine: hides the pointer, reads "Salvaschermo" once, and opens the face it names full screen on the
// primary screen, every other screen black. Returns nullptr, with the pointer shown again, when the setting names no
// face.
SaverWindow* startScreensaver(const Clock& clock, const SettingsStore& store, Random& random, HiddenPointer& pointer);

} // namespace qx::saver
