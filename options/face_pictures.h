// Pictures of the four faces for the options dialog, drawn by the faces' own windows so that they always match.
#pragma once

#include "core/face_commands.h"

#include <QHash>
#include <QPixmap>
#include <QSize>
#include <array>
#include <functional>
#include <memory>

class QTemporaryDir;

namespace qx {

class Clock;
class FaceWindow;
class SettingsStore;

// Each face registers how its window is made, as for the face manager. A picture is taken from a window made for it
// alone, off screen, with a clock standing at ten past ten and a settings store of its own, so that taking it never
// changes the user's settings. No face window binds a sound: the clock's session does.
class FacePictures {
public:
    using Factory = std::function<FaceWindow*(const Clock&, SettingsStore&, FaceCommands&)>;

    FacePictures();
    ~FacePictures();
    FacePictures(const FacePictures&) = delete;
    FacePictures& operator=(const FacePictures&) = delete;

    void setFactory(FaceKind kind, Factory factory);
    bool has(FaceKind kind) const;

    // The face as it looks, clipped to its shape (transparent outside) and scaled into `box` keeping its proportions,
    // for a screen of the given pixel ratio. A null pixmap for a face without a factory. Kept once made.
    QPixmap picture(FaceKind kind, QSize box, qreal devicePixelRatio = 1.0);

private:
    struct Scratch;
    QPixmap take(FaceKind kind, QSize box, qreal devicePixelRatio);

    std::array<Factory, 4> factories_;
    std::unique_ptr<Scratch> scratch_;
    QHash<QString, QPixmap> made_;
};

} // namespace qx
