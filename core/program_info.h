// The programs' names, titles and version and their maker's addresses: the one place the programs name them.
#pragma once

#include <QString>
#include <QUrl>
#include <QVersionNumber>

namespace qx {

QString programTitle();          // "Quadrantix", the title of the program's windows and message boxes
QVersionNumber programVersion(); // the version the build was made as (1.0.0)
QString makerName();             // the maker's name, as the screensaver's interlude prints it
QUrl makerSite();                // the maker's web site
QString makerMail();             // the maker's mail address

enum class ProgramId { Quadrantix, Quadrasogno, Horacumul };

// What the start-up of each program needs to know about it.
struct ProgramInfo {
    ProgramId id;
    const char* executable; // the file name, also the name in messages on stderr ("quadrantix")
    QString name;           // the application's name ("Quadrasogno")
    QString usage;          // what --help prints, after the line naming the program
    bool needsDisplay;      // without a display: one line and status 1; otherwise the program runs without one
    bool windows;           // shows windows (the hidden accumulator does not)
};

const ProgramInfo& programInfo(ProgramId id);

} // namespace qx
