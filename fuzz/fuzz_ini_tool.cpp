// Fuzzes what INITool, the INI tool the faces carry, makes of a file, in memory: its entry call on any content writes
// the key so that its reader returns it, writes nothing when the key already holds the value, and leaves every other
// readable key as it was. The same call on real files is fuzzed with the store (fuzz_store.cpp).
#include "fuzz/fuzz_support.h"
#include "platform/ini_tool.h"

using namespace qx;
using namespace qx::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Input in = split(data, size);
    QByteArray file = in.file;
    for (const Write& w : in.writes) {
        const std::optional<QString> had = IniDocument::parse(file).value(w.section, w.key);
        const std::optional<QByteArray> next = INITool::edited(file, w.value, w.section, w.key);
        if (next.has_value() != (!w.key.isEmpty() && had != w.value))
            violated("the entry call writes exactly when the key has a name and holds another value", in,
                     next.value_or(file));
        if (!next)
            continue;
        if (IniDocument::parse(*next).value(w.section, w.key) != w.value)
            violated("the entry call's value reads back", in, *next);
        if (INITool::edited(*next, w.value, w.section, w.key))
            violated("the same call again writes nothing", in, *next);
        file = *next;
    }
    if (IniDocument::parse(file).values() != expectedAfter(in))
        violated("other keys unchanged by the entry calls", in, file);
    return 0;
}
