// What the screensaver's tests share: a random source they script, and a face window on a fake clock.
#pragma once

#include "core/settings_store.h"
#include "platform/random.h"
#include "saver/hidden_pointer.h"
#include "saver/saver_window.h"
#include "tests/support/fake_clock.h"
#include "tests/support/temp_dir.h"

#include <QCoreApplication>
#include <QPointer>
#include <functional>
#include <vector>

namespace qx::test {

// Returns `value` (a constant unless a test changes it) and records every seed.
class FakeRandom final : public Random {
public:
    void seed(std::uint64_t value) override { seeds.push_back(value); }
    double uniform() override {
        ++draws;
        return next ? next() : value;
    }

    double value = 0.25;
    std::function<double()> next;
    std::vector<std::uint64_t> seeds;
    long long draws = 0;
};

// A face window of the given face on an 800 x 600 screen (or another), its clock at `start`.
class SaverFixture : public TempDirTest {
protected:
    SaverFixture() : store(file(QStringLiteral("q.ini"))) {}
    ~SaverFixture() override {
        delete window.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    saver::SaverWindow* open(FaceKind kind, const QTime& start, QSize screen = saver::Stage::kDesign) {
        clock.set(QDateTime(QDate(2026, 12, 9), start, QTimeZone::utc()));
        const saver::Stage stage{screen, 1.0};
        window = new saver::SaverWindow(saver::makeFace(kind, stage), stage, clock, store, random, pointer);
        return window;
    }
    // Moves the clock on and runs the second tick, as the timer does just after each boundary.
    void secondAt(const QTime& t) {
        clock.set(QDateTime(QDate(2026, 12, 9), t, QTimeZone::utc()));
        window->secondTick();
    }
    // Sprinkles to the end: frames until the three seconds are over.
    void sprinkleAll() {
        for (int frame = 0; frame < 400 && window->interlude().phase() == saver::Interlude::Phase::Sprinkling;
             ++frame) {
            clock.advanceMs(16);
            window->sprinkleFrame();
        }
    }

    FakeClock clock;
    SettingsStore store;
    FakeRandom random;
    saver::HiddenPointer pointer;
    QPointer<saver::SaverWindow> window;
};

} // namespace qx::test
