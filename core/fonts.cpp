// The type faces of the windows, mapped to free fonts that every machine with the clock has.
#include "core/fonts.h"

#include <QStringList>

#include <cmath>

namespace qx {

namespace {
QFont make(const QStringList& families, qreal points, bool bold, QFont::Stretch stretch = QFont::Unstretched) {
    QFont f;
    f.setFamilies(families);
    f.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    f.setBold(bold);
    f.setStretch(stretch);
    f.setStyleHint(QFont::SansSerif);
    return f;
}
} // namespace

QFont msSansSerif(qreal points, bool bold) {
    return make({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}, points, bold);
}

QFont arial(qreal points, bool bold) {
    return make({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}, points, bold);
}

QFont arialBlack(qreal points) {
    QFont f = make({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")}, points, true);
    f.setWeight(QFont::Black);
    return f;
}

QFont haettenschweiler(qreal points) {
    return make({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")}, points, true,
                QFont::Condensed);
}

} // namespace qx
