// Fuzzes the INI reader and writer in memory, with no file: whatever the bytes, parsing never fails, an untouched
// document is its own bytes, an edit changes only the line it must, written values and names read back exactly, and
// the document after edits reads as a fresh parse of its bytes does.
#include "fuzz/fuzz_support.h"

#include <algorithm>

using namespace qx;
using namespace qx::fuzz;

namespace {

// Every way the document lets its entries be read agrees: by name, all at once, and as spelled in the file.
void checkLookups(const IniDocument& doc, const QHash<IniDocument::Name, QString>& all, const Input& in,
                  const char* when) {
    for (auto it = all.constBegin(); it != all.constEnd(); ++it)
        if (doc.value(it.key().first, it.key().second) != *it)
            violated(when, in, doc.serialize());
    const std::vector<IniDocument::Spelled> spelled = doc.spelledEntries();
    if (qsizetype(spelled.size()) != all.size())
        violated(when, in, doc.serialize());
    for (const IniDocument::Spelled& e : spelled)
        if (all.value(IniDocument::name(e.section, e.key)) != e.value || doc.value(e.section, e.key) != e.value)
            violated(when, in, doc.serialize());
}

// The bytes an edit took out of the file: what lies between the longest common start and end of before and after.
QByteArrayView removedBytes(const QByteArray& before, const QByteArray& after) {
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype head = 0;
    while (head < shorter && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    return QByteArrayView(before).sliced(head, before.size() - head - tail);
}

// What a document written from nothing must hold: for each entry the section and key as first written (a later write
// in another letter case finds the same entry) and the last value.
struct Spelling {
    QString section, key, value;
    bool operator==(const Spelling&) const = default;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Input in = split(data, size);

    const IniDocument parsed = IniDocument::parse(in.file);
    if (parsed.serialize() != in.file)
        violated("an untouched document is written back byte for byte", in, parsed.serialize());
    const QHash<IniDocument::Name, QString> before = parsed.values();
    checkLookups(parsed, before, in, "lookups by name, all values and the spelled entries agree");

    IniDocument edited = parsed;
    for (const Write& w : in.writes) {
        const QByteArray before = edited.serialize();
        if (edited.setValue(w.section, w.key, w.value) == w.key.isEmpty())
            violated("setValue refuses exactly the keys without a name", in, edited.serialize());
        if (w.key.isEmpty())
            continue;
        if (edited.value(w.section, w.key) != w.value)
            violated("a value reads back at once from the edited document", in, edited.serialize());
        if (removedBytes(before, edited.serialize()).contains('\n'))
            violated("an edit replaces one value or adds lines: every other line stays byte for byte", in,
                     edited.serialize());
        if (unescapeIniValue(escapeIniValue(w.value)) != w.value)
            violated("a value's escapes undo themselves", in, escapeIniValue(w.value).toUtf8());
    }
    const IniDocument back = IniDocument::parse(edited.serialize());
    const QHash<IniDocument::Name, QString> after = back.values();
    if (after != expectedAfter(in, before))
        violated("written values read back, other keys unchanged", in, edited.serialize());
    const QHash<IniDocument::Name, QString> held = edited.values();
    if (held != after)
        violated("the edited document reads as a fresh parse of its bytes", in, edited.serialize());
    if (back.hasUnreadableLines() && !parsed.hasUnreadableLines())
        violated("an edit writes no line the reader cannot understand", in, edited.serialize());
    checkLookups(edited, held, in, "after edits, lookups by name, all values and the spelled entries agree");

    // Written from nothing, every name and value reads back as it was spelled, and every line is understood.
    IniDocument fresh = IniDocument::parse(QByteArray());
    QHash<QString, QString> sections; // folded -> as first written
    QHash<IniDocument::Name, Spelling> expected;
    for (const Write& w : in.writes) {
        if (!fresh.setValue(w.section, w.key, w.value))
            continue;
        const IniDocument::Name name = IniDocument::name(w.section, w.key);
        const QString section = sections.value(name.first, w.section);
        sections.insert(name.first, section);
        auto found = expected.find(name);
        if (found == expected.end())
            expected.insert(name, {section, w.key, w.value});
        else
            found->value = w.value;
    }
    const IniDocument reread = IniDocument::parse(fresh.serialize());
    if (reread.hasUnreadableLines())
        violated("a file written from nothing has no line the reader cannot understand", in, fresh.serialize());
    QHash<IniDocument::Name, Spelling> found;
    for (const IniDocument::Spelled& e : reread.spelledEntries())
        found.insert(IniDocument::name(e.section, e.key), {e.section, e.key, e.value});
    if (found != expected)
        violated("names and values written from nothing read back exactly as spelled", in, fresh.serialize());
    return 0;
}
