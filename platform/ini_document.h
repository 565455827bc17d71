// An INI file held as its own bytes, so that writing one key changes that line and leaves every other byte alone.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
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
    // Every readable value, by the folded names.
    QHash<Name, QString> values() const;
    // Every readable entry that counts, its section and key spelled as the file has them.
    struct Spelled {
        QString section, key, value;
    };
    std::vector<Spelled> spelledEntries() const;
    static Name name(QStringView section, QStringView key);

private:
    struct Entry {
        qsizetype valueStart = 0; // first byte after '='
        qsizetype valueEnd = 0;   // end of the line's text, before "\r\n" or "\n"
        std::size_t block = 0;    // -> blocks_
    };
    struct Block {
        QString section;         // folded
        QString spelled;         // as the header writes it
        bool readable = true;    // false under a header that could not be read
        qsizetype insertAt = 0;  // where a new key of this block goes: after its last non-blank line
        qsizetype lineBreak = 0; // that line ends in "\r\n" (2), "\n" (1), or at the end of the file without one (0)
    };

    void parseLine(qsizetype start, qsizetype end, qsizetype next);
    void shiftFrom(qsizetype at, qsizetype delta);
    void addEntry(const Name& name, Entry entry);

    QByteArray text_;
    std::vector<Entry> entries_;
    std::vector<Block> blocks_;          // blocks_[0]: the lines before the first header
    QHash<Name, std::size_t> index_;     // -> entries_, the entry that counts
    QHash<QString, std::size_t> latest_; // folded section -> its last readable block
    int unreadableLines_ = 0;
};

// The escaping used for values (exposed for tests of hand-written files).
QString escapeIniValue(const QString& value);
QString unescapeIniValue(QStringView text);

} // namespace qx
