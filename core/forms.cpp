// The form kit of the dialogs and message windows: controls named and placed as their layouts give them, and frames.
#include "core/forms.h"

#include "assets/artwork.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

namespace qx::forms {

void setName(QWidget* control, const char* name) {
    if (name)
        control->setObjectName(QLatin1String(name));
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& geometry, Qt::Alignment alignment) {
    auto* l = new QLabel(parent);
    l->setTextFormat(Qt::PlainText);
    l->setText(text);
    l->setAlignment(alignment);
    return place(l, name, geometry);
}

QLabel* picture(QWidget* parent, const char* name, const QString& artwork, const QRect& geometry, QSize size) {
    auto* l = new QLabel(parent);
    l->setTextFormat(Qt::PlainText); // like every label: nothing put in it later is taken for markup
    l->setAlignment(Qt::AlignCenter);
    l->setPixmap(renderArtwork(artwork, size.isEmpty() ? geometry.size() : size, parent->devicePixelRatioF()));
    return place(l, name, geometry);
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    return place(new QPushButton(text, parent), name, geometry);
}

QFrame* rule(QWidget* parent, const QRect& geometry) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(geometry);
    return line;
}

void setTextColour(QWidget* control, const QColor& colour) {
    QPalette p = control->palette();
    p.setColor(QPalette::WindowText, colour);
    control->setPalette(p);
}

} // namespace qx::forms
