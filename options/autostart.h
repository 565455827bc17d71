// Start at log-on: the clock's launcher copied into the user's XDG autostart folder, or taken out of it.
#pragma once

#include <QString>

namespace qx {

struct AutostartEntry {
    QString launcher;        // the launcher the clock writes at every start
    QString autostartFolder; // the folder whose entries the desktop session starts at log-on

    // $XDG_DATA_HOME/applications/quadrantix.desktop and $XDG_CONFIG_HOME/autostart; empty without a home folder.
    static AutostartEntry forUser();

    QString entryPath() const; // the copy in the autostart folder, under the launcher's own name
    bool isPresent() const;

    // On: copies the launcher into the autostart folder (creating the folder), leaving an entry already there as it
    // is unless the program it names is gone (then it is refreshed from the launcher). Off: deletes the entry. Returns whether the entry is now as asked; the options dialog goes on either way.
    bool apply(bool on) const;
};

} // namespace qx
