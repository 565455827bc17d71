// Stand-ins for widget tests of the faces: a face with nothing on it, and a recorder of the regions a widget paints.
#pragma once

#include "core/faces.h"

#include <QEvent>
#include <QList>
#include <QPaintEvent>
#include <QRegion>

namespace qx::test {

// A face of the given kind with nothing on it, for the faces a test does not look at.
class StubFace : public FaceWindow {
public:
    explicit StubFace(FaceKind kind) : FaceWindow(kind) {}
};

// Installed as an event filter, records the region of every paint event of the widgets it watches.
class PaintRecorder : public QObject {
public:
    QList<QRegion> regions;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            regions << static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

} // namespace qx::test
