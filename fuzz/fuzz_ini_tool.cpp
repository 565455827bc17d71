// Fuzzes INITool, the INI tool the faces carry: its entry call on a file of any content writes the key so that its
// reader returns it, and leaves every other readable key as it was.
#include "fuzz/fuzz_support.h"
#include "platform/file_ops.h"
#include "platform/ini_tool.h"

using namespace qx;
using namespace qx::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Input in = split(data, size);
    checkParserAlone(in);

    const QString path = scratchFile(QStringLiteral("system.ini"), in.file);

    INITool tool(scratchFolder()); // the scratch folder stands for the user's own files, the only place it writes
    for (const Write& w : in.writes) {
        const bool changed = tool.entryCall(w.value, w.section, w.key, path);
        if (w.key.isEmpty() ? changed : INITool::read(path, w.section, w.key) != w.value)
            violated("the entry call's value reads back", in, readRegularFile(path, 1 << 30).data);
    }
    const QByteArray after = readRegularFile(path, 1 << 30).data;
    if (IniDocument::parse(after).values() != expectedAfter(in))
        violated("other keys unchanged by the entry calls", in, after);
    return 0;
}
