// qx_desktop_entry: writes a desktop entry from its template with a program's path, when installing.
#include "core/desktop_entry.h"

#include <QFile>
#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: qx_desktop_entry <template> <output> <program>\n", stderr);
        return 2;
    }
    const QByteArray programBytes(argv[3]);
    const QString program = QString::fromUtf8(programBytes);
    // An entry is UTF-8: a path that is not would be named wrongly, and a reader would refuse the file.
    if (program.toUtf8() != programBytes) {
        std::fprintf(stderr, "qx_desktop_entry: the path is not UTF-8: %s\n", argv[3]);
        return 1;
    }
    QFile in(QFile::decodeName(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "qx_desktop_entry: cannot read %s\n", argv[1]);
        return 1;
    }
    const QByteArray text = qx::desktopEntryText(in.readAll(), program);
    QFile out(QFile::decodeName(argv[2]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(text) != text.size() || !out.flush()) {
        std::fprintf(stderr, "qx_desktop_entry: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
