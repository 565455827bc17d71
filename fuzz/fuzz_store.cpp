// Fuzzes the round trip through real files, the slow part (every write locks, syncs and renames): the settings store
// and INITool's entry call on a file of any content. A write reads back, every other readable key keeps its value,
// and the file stays one that reads the same way. The parsing alone is fuzzed in memory (fuzz_ini_document.cpp).
#include "core/settings_store.h"
#include "fuzz/fuzz_support.h"
#include "platform/file_ops.h"
#include "platform/ini_tool.h"

using namespace qx;
using namespace qx::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Input in = split(data, size);
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

    // INITool's entry call on the same content: the file is replaced only as the store replaces it.
    const QString system = scratchFile(QStringLiteral("system.ini"), in.file);
    INITool tool(scratchFolder()); // the scratch folder stands for the user's own files, the only place it writes
    for (const Write& w : in.writes) {
        const bool changed = tool.entryCall(w.value, w.section, w.key, system);
        if (w.key.isEmpty() ? changed : INITool::read(system, w.section, w.key) != w.value)
            violated("the entry call's value reads back (on disk)", in, readRegularFile(system, 1 << 30).data);
    }
    if (IniDocument::parse(readRegularFile(system, 1 << 30).data).values() != expected)
        violated("other keys unchanged by the entry calls (on disk)", in, readRegularFile(system, 1 << 30).data);
    return 0;
}
