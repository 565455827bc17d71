// Fuzzes the settings store's reader and writer through the store itself: whatever the file holds, a write reads back,
// every other readable key keeps its value, and the file stays one that reads the same way.
#include "core/settings_store.h"
#include "fuzz/fuzz_support.h"
#include "platform/file_ops.h"

using namespace qx;
using namespace qx::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Input in = split(data, size);
    checkParserAlone(in);

    const QString path = scratchFile(QStringLiteral("Quadrantix.ini"), in.file);

    SettingsStore store(path);
    const QHash<IniDocument::Name, QString> before = IniDocument::parse(in.file).values();
    for (auto it = before.constBegin(); it != before.constEnd(); ++it)
        if (store.read(it.key().first, it.key().second) != *it)
            violated("the store reads what the file holds", in, in.file);
    for (const Write& w : in.writes)
        if (store.write(w.section, w.key, w.value) == w.key.isEmpty())
            violated("a write succeeds exactly when the key has a name", in, readRegularFile(path, 1 << 30).data);
    const QByteArray after = readRegularFile(path, 1 << 30).data;
    const QHash<IniDocument::Name, QString> expected = expectedAfter(in);
    if (IniDocument::parse(after).values() != expected)
        violated("written values read back, other keys unchanged (on disk)", in, after);
    for (auto it = expected.constBegin(); it != expected.constEnd(); ++it)
        if (store.read(it.key().first, it.key().second) != *it)
            violated("the store reads back what was written", in, after);
    // Several keys in one update give the same file as one write after another.
    scratchFile(QStringLiteral("Quadrantix.ini"), in.file);
    store.update([&](SettingsStore::Transaction& t) {
        for (const Write& w : in.writes)
            if (!w.key.isEmpty())
                t.write(w.section, w.key, w.value);
    });
    if (readRegularFile(path, 1 << 30).data != after)
        violated("one update writes what single writes do", in, readRegularFile(path, 1 << 30).data);
    return 0;
}
