// The INI file tool the faces carry: reads and writes keys of existing INI files of the user's own.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <optional>

namespace qx {

class INITool {
public:
    // `ownFolder` holds the user's own files (the home folder): the only place the tool ever writes to.
    explicit INITool(QString ownFolder = QDir::homePath());

    // The one call the faces make: writes value under [section] key in the INI file at path. It never creates a
    // file and never writes outside the user's own files: a path that does not exist, is not a regular file, is not
    // owned by the user or does not lie inside the own folder (after following links) changes nothing. So the call
    // on the system folder's "system.ini" is harmless on this platform, also for a clock run as root, who owns that
    // file. A home folder that is the root of the file system counts as none. Returns whether the file changed.
    bool entryCall(const QString& value, const QString& section, const QString& key, const QString& path);

    // Reads [section] key from the INI file at path; the empty text when the file or key is missing.
    static QString read(const QString& path, const QString& section, const QString& key);

    // What the entry call makes of a file that holds `file`: its new bytes, or nothing when the key has no name or
    // already holds the value (the file is then left alone).
    static std::optional<QByteArray> edited(const QByteArray& file, const QString& value, const QString& section,
                                            const QString& key);

private:
    QString ownFolder_;
};

// The operating system's folder, ending in exactly one separator: "/etc/".
QString CartellaSistema();

} // namespace qx
