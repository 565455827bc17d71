// An INI file held as its own lines, so that writing one key changes that line and leaves every other byte alone.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

namespace qx {

// Sections and keys match without regard to case (Unicode case folding); values keep their case. The value of a key
// that appears twice is the later one. Values are written so that any text reads back exactly: backslash escapes for
// line breaks, tabs and control characters (\n \r \t \xHH, and \\ for a backslash), and double quotes around a value
// that begins or ends with white space or begins with a quote. Lines that are neither a section, a key nor a comment,
// and bytes that are not valid UTF-8, are kept as they were.
class IniDocument {
public:
    static IniDocument parse(const QByteArray& bytes);
    QByteArray serialize() const;

    std::optional<QString> value(QStringView section, QStringView key) const;
    void setValue(QStringView section, QStringView key, const QString& value);

    // Every readable value, keyed by lookupKey(section, key).
    QHash<QString, QString> values() const;
    static QString lookupKey(QStringView section, QStringView key);

private:
    enum class Kind { Other, Section, Entry };
    struct Line {
        QByteArray raw;
        Kind kind = Kind::Other;
        QString section; // folded name of the section the line belongs to (or opens)
        QString key;     // folded key of an entry
        QString value;   // value of an entry
    };

    static Line parseLine(const QByteArray& raw, const QString& currentSection);
    void reindex();

    std::vector<Line> lines_;
    QHash<QString, std::size_t> index_; // lookupKey -> the entry line that wins
};

// The escaping used for values (and, with keys and section names, for the characters that would break a line).
QString escapeIniValue(const QString& value);
QString unescapeIniValue(QStringView text);

} // namespace qx
