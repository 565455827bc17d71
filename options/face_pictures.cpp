// Pictures of the four faces for the options dialog, drawn by the faces' own windows so that they always match.
#include "options/face_pictures.h"

#include "core/faces.h"
#include "core/settings_store.h"
#include "platform/clock.h"

#include <QPainter>
#include <QTemporaryDir>

namespace qx {

namespace {
// Ten past ten and thirty seconds: the hands apart from each other and from the date, as clocks are pictured.
const QDateTime kShownAt(QDate(2026, 12, 9), QTime(10, 10, 30), QTimeZone::utc());

class StandingClock final : public Clock {
public:
    std::int64_t epochNs() const override { return kShownAt.toMSecsSinceEpoch() * 1'000'000; }
    std::uint64_t uptimeMs() const override { return 0; }
    QTimeZone zone() const override { return QTimeZone::utc(); }
};

// A picture's window offers no command: its menu, which no one opens, would show every item disabled.
class NoCommands final : public FaceCommands {
public:
    bool isAvailable(Command) const override { return false; }
    void run(Command, FaceWindow*) override {}
};

} // namespace

struct FacePictures::Scratch {
    StandingClock clock;
    NoCommands commands;
    QTemporaryDir dir;
    SettingsStore store{dir.filePath(QStringLiteral("Quadrantix.ini"))};
};

FacePictures::FacePictures() = default;
FacePictures::~FacePictures() = default;

void FacePictures::setFactory(FaceKind kind, Factory factory) {
    factories_[std::size_t(kind)] = std::move(factory);
    made_.clear();
}

bool FacePictures::has(FaceKind kind) const {
    return bool(factories_[std::size_t(kind)]);
}

QPixmap FacePictures::picture(FaceKind kind, QSize box, qreal devicePixelRatio) {
    if (!has(kind) || box.isEmpty())
        return {};
    const QString key =
        QStringLiteral("%1 %2x%3 %4").arg(int(kind)).arg(box.width()).arg(box.height()).arg(devicePixelRatio);
    auto found = made_.constFind(key);
    if (found == made_.constEnd())
        found = made_.insert(key, take(kind, box, devicePixelRatio));
    return *found;
}

QPixmap FacePictures::take(FaceKind kind, QSize box, qreal devicePixelRatio) {
    if (!scratch_)
        scratch_ = std::make_unique<Scratch>();
    Scratch& s = *scratch_;
    const std::unique_ptr<FaceWindow> window(factories_[std::size_t(kind)](s.clock, s.store, s.commands));
    if (!window)
        return {};
    // Shown to itself only: the window paints as on screen, and no one sees it.
    window->setAttribute(Qt::WA_DontShowOnScreen);
    window->show();
    const QPixmap shot = window->grab();
    const QRegion shape = window->mask();

    QPixmap cut(shot.size());
    cut.setDevicePixelRatio(shot.devicePixelRatio());
    cut.fill(Qt::transparent);
    {
        QPainter p(&cut);
        if (!shape.isEmpty())
            p.setClipRegion(shape);
        p.drawPixmap(0, 0, shot);
    }
    const QSize fitted = window->size().scaled(box, Qt::KeepAspectRatio);
    QPixmap scaled = cut.scaled(fitted * devicePixelRatio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(devicePixelRatio);
    return scaled;
}

} // namespace qx
