// Rendering of the compiled-in SVG pictures, shared per name and size while they are shown.
#include "assets/artwork.h"

#include <QCoreApplication>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>
#include <QTimer>
#include <QtGlobal>

namespace qx {

namespace {

// Windows that show the same picture share one pixmap, and one opened again finds it while it is still shown.
// A picture that only the cache still holds (a face copied it into its own background, or its window closed) is
// dropped once the event loop turns: an idle face keeps no picture twice.
QHash<QString, QPixmap>& cache() {
    static QHash<QString, QPixmap> pixmaps;
    // Pixmaps must not outlive the application object, which a function-local static otherwise would.
    [[maybe_unused]] static const bool emptiedAtExit = [] {
        qAddPostRoutine([] { cache().clear(); });
        return true;
    }();
    return pixmaps;
}

void dropUnshared() {
    for (auto it = cache().begin(); it != cache().end();)
        it = it.value().isDetached() ? cache().erase(it) : std::next(it);
}

void dropUnsharedSoon() {
    static bool pending = false;
    if (pending || !QCoreApplication::instance())
        return;
    pending = true;
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        pending = false;
        dropUnshared();
    });
}

} // namespace

QPixmap renderArtwork(const QString& name, QSize size, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QString key = name + QLatin1Char('@') + QString::number(size.width()) + QLatin1Char('x') +
                        QString::number(size.height()) + QLatin1Char('*') + QString::number(ratio);
    if (const auto hit = cache().constFind(key); hit != cache().constEnd())
        return hit.value();

    QSvgRenderer renderer(QStringLiteral(":/assets/%1.svg").arg(name));
    if (!renderer.isValid()) {
        qWarning("qx::renderArtwork: no picture named %s", qPrintable(name));
        return {};
    }
    const QSize target = size.isEmpty() ? renderer.defaultSize() : size;
    QImage image(target * ratio, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(target) * ratio));
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    cache().insert(key, pixmap);
    dropUnsharedSoon();
    return pixmap;
}

QCursor artworkCursor(const QString& name, QPoint hotspot, qreal devicePixelRatio) {
    // Qt takes the hot spot in the pixmap's device-independent pixels.
    return QCursor(renderArtwork(name, {}, devicePixelRatio), hotspot.x(), hotspot.y());
}

} // namespace qx
