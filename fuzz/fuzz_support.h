// What the fuzz targets share: the input split into a file and the writes to make, what the file must read after
// them, and scratch files for the target that goes through the file system.
#pragma once

#include "platform/ini_document.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace qx::fuzz {

struct Write {
    QString section, key, value;
};

// The input is the file's bytes, optionally followed by "\xff\xfe\xfd" and the writes (FuzzedDataProvider strings:
// section, key, value, ...). Seeds are plain INI files; without writes one value of a known key is written.
struct Input {
    QByteArray file;
    std::vector<Write> writes;
};

inline Input split(const uint8_t* data, size_t size) {
    Input in;
    const QByteArray all(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype mark = all.indexOf("\xff\xfe\xfd");
    in.file = mark < 0 ? all : all.left(mark);
    if (mark < 0) {
        in.writes.push_back({QStringLiteral("Opzioni"), QStringLiteral("Big Ben"), QStringLiteral("1")});
        return in;
    }
    FuzzedDataProvider provider(data + mark + 3, size - size_t(mark) - 3);
    while (provider.remaining_bytes() > 0 && in.writes.size() < 8) {
        Write w;
        for (QString* field : {&w.section, &w.key, &w.value}) {
            const std::string s = provider.ConsumeRandomLengthString(64);
            *field = QString::fromUtf8(s.data(), qsizetype(s.size()));
        }
        in.writes.push_back(w);
    }
    return in;
}

[[noreturn]] inline void violated(const char* what, const Input& in, const QByteArray& result) {
    std::fprintf(stderr, "property violated: %s\n--- file ---\n%s\n--- after ---\n%s\n", what, in.file.constData(),
                 result.constData());
    for (const Write& w : in.writes)
        std::fprintf(stderr, "write [%s] %s = %s\n", qPrintable(w.section), qPrintable(w.key), qPrintable(w.value));
    std::abort();
}

// What the file must read after the writes: every readable key as before (`before`, the file's values), each written
// key with its value.
inline QHash<IniDocument::Name, QString> expectedAfter(const Input& in, QHash<IniDocument::Name, QString> before) {
    for (const Write& w : in.writes)
        if (!w.key.isEmpty())
            before.insert(IniDocument::name(w.section, w.key), w.value);
    return before;
}
inline QHash<IniDocument::Name, QString> expectedAfter(const Input& in) {
    return expectedAfter(in, IniDocument::parse(in.file).values());
}

// A private folder for the files of one fuzzing process, on tmpfs when there is one (fsync costs nothing there).
inline QString scratchFolder() {
    static const QString folder = [] {
        std::string tmpl = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/qx-fuzz-XXXXXX");
        if (!mkdtemp(tmpl.data()))
            std::abort();
        return QString::fromStdString(tmpl);
    }();
    return folder;
}

// Writes `bytes` to the file `name` of the scratch folder and returns its path.
inline QString scratchFile(const QString& name, const QByteArray& bytes) {
    const QString path = scratchFolder() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
    return path;
}

} // namespace qx::fuzz
