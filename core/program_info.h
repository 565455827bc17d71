// The program's title, its version and its maker's addresses: the one place the program names them.
#pragma once

#include <QString>
#include <QUrl>
#include <QVersionNumber>

namespace qx {

QString programTitle();          // "Quadrantix", the title of the program's windows and message boxes
QVersionNumber programVersion(); // the version the build was made as (1.0.0)
QUrl makerSite();                // the maker's web site
QString makerMail();             // the maker's mail address

} // namespace qx
