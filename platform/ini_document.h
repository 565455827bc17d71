// An INI file held as its own bytes, so that writing one key changes that line and leaves every other byte alone.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <utility>
#include <vector>

namespace qx {

// What a person writes by hand is read: `;` and `#` comment lines, a comment after a section header, spaces around
// names and `=`, a byte-order mark at the very start of the file, CRLF line ends. Sections and keys match without
// regard to case (Unicode case folding); values keep their case; of a key that appears twice the later one counts.
//
// Any value and any name reads back exactly as written: backslash escapes (\n \r \t \\ \xHH, and \uHHHH in names)
// stand for line breaks, control characters and the characters that would end or misread a name, and a value that
// begins or ends with white space or begins with a quote is written between double quotes. Names are never quoted.
//
// A line that is neither blank, a comment, a section header nor `name = value` is kept as it is and counts as not
// understood; so does a header that cannot be read, and the keys under it then belong to no section anyone can read
// (they are never taken for keys of the section before). Bytes that are not UTF-8 read as U+FFFD and are kept.
//
// Parsing costs time and memory in proportion to the file's bytes: blank and comment lines cost nothing beyond the
// bytes themselves, and only the last of several equal keys is remembered.
class IniDocument {
public:
    // Folded section and key: the identity of an entry.
    using Name = std::pair<QString, QString>;

    static IniDocument parse(QByteArray bytes);
    const QByteArray& serialize() const { return text_; }

    std::optional<QString> value(QStringView section, QStringView key) const;
    // Returns false, changing nothing, for a key without a name (which no line could hold).
    bool setValue(QStringView section, QStringView key, const QString& value);

    // Whether some line of the file was not understood (see above).
    bool hasUnreadableLines() const { return unreadableLines_ > 0; }
    // Whether a line that was not understood may hold this key: a `name = value` under a header that cannot be read
    // names it, or a line of its section (or under such a header) without a usable '=' begins with its name. A key
    // the reader does not see and no such line holds is truly absent. Scans the file: meant for rare checks.
    bool mayHideKey(QStringView section, QStringView key) const;
    // Every readable value, by the folded names.
    QHash<Name, QString> values() const;
    // Every readable entry that counts, its section and key spelled as the file has them.
    struct Spelled {
        QString section, key, value;
    };
    std::vector<Spelled> spelledEntries() const;
    static Name name(QStringView section, QStringView key);

private:
    // The file holds at most a few tens of MiB (kMaxIniFileBytes), so offsets fit 32 bits. Per entry and per section
    // header a few machine words are kept; names are read again from the bytes when a lookup must compare them.
    struct Entry {
        quint32 valueStart = 0; // first byte after '='
        quint32 valueEnd = 0;   // end of the line's text, before "\r\n" or "\n"
        quint32 block = 0;      // -> blocks_
        quint32 hash = 0;       // of the folded name
    };
    struct Block {
        quint32 headerStart = 0; // the header line (block 0 has none)
        quint32 bodyStart = 0;   // the first line after it
        quint64 section = 0;     // hash of the folded section name, never 0; 0: a header that could not be read
        bool readable() const { return section != 0; }
    };

    void parseLine(qsizetype start, qsizetype end);
    void shiftFrom(qsizetype at, qsizetype delta);
    void addEntry(Entry entry, QStringView section, QStringView key, qsizetype keyStart, qsizetype keyEnd);
    qsizetype findEntry(quint32 hash, QStringView section, QStringView key) const;
    qsizetype findBlock(quint64 section, QStringView name) const;
    qsizetype findSameBlock(std::size_t block) const; // the slot of an earlier block of the same section
    void indexEntry(std::size_t entry);
    void indexBlock(std::size_t block);
    QString sectionOf(std::size_t block, bool folded) const;
    QString keyOf(const Entry& e, bool folded) const;
    std::pair<qsizetype, qsizetype> keyBytes(const Entry& e) const;
    // Where a new key of a block goes: after its last non-blank line, and that line's end (2 "\r\n", 1 "\n", 0 none).
    std::pair<qsizetype, int> insertionPoint(std::size_t block) const;

    QByteArray text_;
    std::vector<Entry> entries_;      // the entries that count, one per name
    std::vector<Block> blocks_;       // blocks_[0]: the lines before the first header
    std::vector<quint32> entrySlots_; // open addressing by Entry::hash: entry + 1, 0 empty
    std::vector<quint32> blockSlots_; // by section hash: the last readable block of each section + 1
    std::size_t sections_ = 0;        // filled slots of blockSlots_
    int unreadableLines_ = 0;
};

// The escaping used for values (exposed for tests of hand-written files).
QString escapeIniValue(const QString& value);
QString unescapeIniValue(QStringView text);

} // namespace qx
