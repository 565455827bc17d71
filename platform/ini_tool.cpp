// The INI file tool the faces carry: reads and writes keys of existing INI files of the user's own.
#include "platform/ini_tool.h"

#include "platform/file_ops.h"
#include "platform/ini_document.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace qx {

namespace {
FileRead readIni(const QString& path) {
    return readRegularFile(path, kMaxIniFileBytes);
}

// The canonical form of `path` when it lies strictly inside `folder` (both after following links), else nothing.
QString insideFolder(const QString& path, const QString& folder) {
    const QString root = folder.isEmpty() ? QString() : QFileInfo(folder).canonicalFilePath();
    const QString target = QFileInfo(path).canonicalFilePath();
    if (root.isEmpty() || root == QLatin1String("/") || target.isEmpty() || !target.startsWith(root + QLatin1Char('/')))
        return {};
    return target;
}
} // namespace

INITool::INITool(QString ownFolder) : ownFolder_(std::move(ownFolder)) {}

bool INITool::entryCall(const QString& value, const QString& section, const QString& key, const QString& given) {
    const QString path = insideFolder(given, ownFolder_);
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid())
        return false;
    const FileRead file = readIni(path);
    if (!file.ok)
        return false;
    const std::optional<QByteArray> bytes = edited(file.data, value, section, key);
    return bytes && replaceFileAtomically(path, *bytes);
}

std::optional<QByteArray> INITool::edited(const QByteArray& file, const QString& value, const QString& section,
                                          const QString& key) {
    IniDocument doc = IniDocument::parse(file);
    if (doc.value(section, key) == value || !doc.setValue(section, key, value))
        return std::nullopt;
    return doc.serialize();
}

QString INITool::read(const QString& path, const QString& section, const QString& key) {
    const FileRead file = readIni(path);
    if (!file.ok)
        return {};
    return IniDocument::parse(file.data).value(section, key).value_or(QString());
}

QString CartellaSistema() {
    QString dir = QStringLiteral("/etc").trimmed();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

} // namespace qx
