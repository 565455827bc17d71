// What every face of the screensaver shares: where its design lies on the screen, and which face the setting names.
#include "saver/saver_face.h"

#include "core/faces.h"
#include "core/settings_store.h"
#include "saver/analogico_face.h"
#include "saver/digitale_face.h"
#include "saver/mini_face.h"
#include "saver/quadrantix_face.h"

namespace qx::saver {

namespace {
// On one axis: a design position in the far half keeps its distance from the far edge.
int nearEdge(double twips, int design, int window) {
    const int p = pxi(twips);
    return p * 2 < design ? p : window - (design - p);
}
} // namespace

QRect Stage::fromCorner(double left, double top, double width, double height) const {
    return QRect(nearEdge(left, kDesign.width(), window.width()), nearEdge(top, kDesign.height(), window.height()),
                 pxi(width), pxi(height));
}

QRect Stage::fromBottom(double left, double top, double width, double height) const {
    return QRect(origin().x() + pxi(left), window.height() - (kDesign.height() - pxi(top)), pxi(width), pxi(height));
}

std::optional<FaceKind> chooseFace(const SettingsStore& store) {
    return store.face(keys::Salvaschermo, FaceKind::Analogico);
}

std::unique_ptr<SaverFace> makeFace(FaceKind kind, const Stage& stage) {
    switch (kind) {
    case FaceKind::Analogico:
        return std::make_unique<AnalogicoFace>(stage);
    case FaceKind::Digitale:
        return std::make_unique<DigitaleFace>(stage);
    case FaceKind::Mini:
        return std::make_unique<MiniFace>(stage);
    case FaceKind::Quadrantix:
        return std::make_unique<QuadrantixFace>(stage);
    }
    return nullptr;
}

} // namespace qx::saver
