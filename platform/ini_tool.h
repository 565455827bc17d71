// The INI file tool the faces carry: reads and writes keys of existing INI files of the user's own.
#pragma once

#include <QString>

namespace qx {

class INITool {
public:
    // The one call the faces make: writes value under [section] key in the INI file at path. It never creates a
    // file: a path that does not exist, is not a regular file or is not owned by the user changes nothing (so
    // the call on the system folder's "system.ini" is harmless on this platform). Returns whether the file changed.
    bool entryCall(const QString& value, const QString& section, const QString& key, const QString& path);

    // Reads [section] key from the INI file at path; the empty text when the file or key is missing.
    static QString read(const QString& path, const QString& section, const QString& key);
};

// The operating system's folder, ending in exactly one separator: "/etc/".
QString CartellaSistema();

} // namespace qx
