// The clock's pictures: renders the SVG files compiled in under :/assets/ into pixmaps and cursors.
#pragma once

#include <QCursor>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <QString>

namespace qx {

// `name` is the file name without folder or extension ("dial", "tb_start"). An empty size means the picture's
// own size, in device-independent pixels. The picture is rendered for a screen of the given device pixel ratio (that
// many device pixels to one of the picture's), so that it stays crisp on a scaled screen. The pixmap is transparent
// where the picture is and is shared: while someone holds it, another call for the same picture costs a lookup. A picture that does not exist gives a null
// pixmap. GUI thread only, like QPixmap itself.
QPixmap renderArtwork(const QString& name, QSize size = {}, qreal devicePixelRatio = 1.0);

// A mouse pointer made from a picture at its own size; `hotspot` is in the picture's pixels.
QCursor artworkCursor(const QString& name, QPoint hotspot, qreal devicePixelRatio = 1.0);

} // namespace qx
