// The program's title, its version and its maker's addresses: the one place the program names them.
#include "core/program_info.h"

namespace qx {

QString programTitle() {
    return QStringLiteral("Quadrantix");
}

QVersionNumber programVersion() {
    return QVersionNumber(QX_VERSION_MAJOR, QX_VERSION_MINOR, QX_VERSION_PATCH);
}

QUrl makerSite() {
    return QUrl(QStringLiteral("https://quadrantix.org"));
}

QString makerMail() {
    return QStringLiteral("dono@quadrantix.org");
}

} // namespace qx
