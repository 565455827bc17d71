// The mouse pointer, hidden while the screensaver runs and shown again on every way out.
#pragma once

namespace qx::saver {

// Hide and show are counted, as the platform counts them: one show undoes one hide. Whatever is still hidden when the
// object goes away is shown again.
class HiddenPointer {
public:
    HiddenPointer() = default;
    ~HiddenPointer();
    HiddenPointer(const HiddenPointer&) = delete;
    HiddenPointer& operator=(const HiddenPointer&) = delete;

    void hide();
    void show(); // does nothing when nothing is hidden
    bool hidden() const { return hides_ > 0; }

private:
    int hides_ = 0;
};

} // namespace qx::saver
