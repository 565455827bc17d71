// Which boot of the machine this is: the kernel's random id, new at every start of the computer.
#include "platform/boot_id.h"

#include <QFile>

#include <cctype>

namespace qx {

QString readBootId(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A uuid and a line break; anything longer is not a boot id.
    const QByteArray text = file.read(128).trimmed();
    for (const char c : text)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-'))
            return {};
    return QString::fromLatin1(text);
}

} // namespace qx
