// An INI file held as its own lines, so that writing one key changes that line and leaves every other byte alone.
#include "platform/ini_document.h"

namespace qx {

namespace {

QString fold(QStringView s) {
    return s.toString().toCaseFolded();
}

void appendHexEscape(QString& out, char16_t c) {
    out += QStringLiteral("\\x%1").arg(unsigned(c), 2, 16, QLatin1Char('0'));
}

bool isControl(char16_t c) {
    return c < 0x20 || c == 0x7f;
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Escapes a key or section name: like a value, plus the characters that would end or misread the name.
QString escapeName(const QString& name, bool isSection) {
    QString out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool edge = i == 0 || i == name.size() - 1;
        if (c == '\\')
            out += QStringLiteral("\\\\");
        else if (isControl(c) || (isSection && c == ']') || (!isSection && c == '=') ||
                 (i == 0 && !isSection && (c == '[' || c == ';' || c == '#')) || (edge && QChar(c).isSpace()))
            appendHexEscape(out, c);
        else
            out += QChar(c);
    }
    return out;
}

} // namespace

QString escapeIniValue(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (const QChar ch : value) {
        const char16_t c = ch.unicode();
        switch (c) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        default:
            if (isControl(c))
                appendHexEscape(out, c);
            else
                out += ch;
        }
    }
    if (!out.isEmpty() && (out.front().isSpace() || out.back().isSpace() || out.front() == QLatin1Char('"')))
        out = QLatin1Char('"') + out + QLatin1Char('"');
    return out;
}

QString unescapeIniValue(QStringView text) {
    if (text.size() >= 2 && text.front() == QLatin1Char('"') && text.back() == QLatin1Char('"'))
        text = text.mid(1, text.size() - 2);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar next = text[i + 1];
        if (next == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
            ++i;
        } else if (next == QLatin1Char('n')) {
            out += QLatin1Char('\n');
            ++i;
        } else if (next == QLatin1Char('r')) {
            out += QLatin1Char('\r');
            ++i;
        } else if (next == QLatin1Char('t')) {
            out += QLatin1Char('\t');
            ++i;
        } else if (next == QLatin1Char('x') && i + 3 < text.size() && hexDigit(text[i + 2]) >= 0 &&
                   hexDigit(text[i + 3]) >= 0) {
            out += QChar(char16_t(hexDigit(text[i + 2]) * 16 + hexDigit(text[i + 3])));
            i += 3;
        } else {
            out += c; // a backslash that starts no escape is an ordinary character (hand-written paths)
        }
    }
    return out;
}

QString IniDocument::lookupKey(QStringView section, QStringView key) {
    return fold(section) + QChar(0x1f) + fold(key);
}

IniDocument::Line IniDocument::parseLine(const QByteArray& raw, const QString& currentSection) {
    Line line;
    line.raw = raw;
    line.section = currentSection;
    QByteArray bytes = raw;
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const QString text = QString::fromUtf8(bytes);
    const QStringView trimmed = QStringView(text).trimmed();
    if (trimmed.isEmpty() || trimmed.front() == QLatin1Char(';') || trimmed.front() == QLatin1Char('#'))
        return line;
    if (trimmed.front() == QLatin1Char('[')) {
        const qsizetype close = trimmed.lastIndexOf(QLatin1Char(']'));
        if (close > 0 && trimmed.mid(close + 1).trimmed().isEmpty()) {
            line.kind = Kind::Section;
            line.section = fold(unescapeIniValue(trimmed.mid(1, close - 1).trimmed()));
        }
        return line;
    }
    const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return line;
    const QString key = unescapeIniValue(trimmed.left(eq).trimmed());
    if (key.isEmpty())
        return line;
    line.kind = Kind::Entry;
    line.key = fold(key);
    line.value = unescapeIniValue(trimmed.mid(eq + 1).trimmed());
    return line;
}

IniDocument IniDocument::parse(const QByteArray& bytes) {
    IniDocument doc;
    QString section;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        Line line = parseLine(bytes.mid(start, end - start), section);
        section = line.section;
        doc.lines_.push_back(std::move(line));
        start = end + 1;
    }
    doc.reindex();
    return doc;
}

QByteArray IniDocument::serialize() const {
    QByteArray out;
    for (const Line& line : lines_) {
        out += line.raw;
        out += '\n';
    }
    return out;
}

void IniDocument::reindex() {
    index_.clear();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Entry)
            index_.insert(line.section + QChar(0x1f) + line.key, i);
    }
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const {
    const auto it = index_.constFind(lookupKey(section, key));
    if (it == index_.constEnd())
        return std::nullopt;
    return lines_[*it].value;
}

QHash<QString, QString> IniDocument::values() const {
    QHash<QString, QString> out;
    out.reserve(index_.size());
    for (auto it = index_.constBegin(); it != index_.constEnd(); ++it)
        out.insert(it.key(), lines_[*it].value);
    return out;
}

void IniDocument::setValue(QStringView section, QStringView key, const QString& value) {
    const QString foldedSection = fold(section);
    const auto it = index_.constFind(lookupKey(section, key));
    if (it != index_.constEnd()) {
        // Keep the spelling and indentation of the key as the file has it; replace what follows the '='.
        Line& line = lines_[*it];
        const qsizetype eq = line.raw.indexOf('=');
        const bool crlf = line.raw.endsWith('\r');
        line.raw = line.raw.left(eq + 1) + escapeIniValue(value).toUtf8();
        if (crlf)
            line.raw += '\r';
        line.value = value;
        return;
    }

    Line entry;
    entry.kind = Kind::Entry;
    entry.section = foldedSection;
    entry.key = fold(key);
    entry.value = value;
    entry.raw = (escapeName(key.toString(), false) + QLatin1Char('=') + escapeIniValue(value)).toUtf8();

    // Into the last block of that section, after its last non-blank line.
    std::optional<std::size_t> insertAt;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section) {
            if (line.section == foldedSection)
                insertAt = i + 1;
        } else if (insertAt && line.section == foldedSection && !line.raw.trimmed().isEmpty()) {
            insertAt = i + 1;
        }
    }
    if (insertAt) {
        lines_.insert(lines_.begin() + std::ptrdiff_t(*insertAt), std::move(entry));
    } else {
        if (!lines_.empty() && !lines_.back().raw.trimmed().isEmpty())
            lines_.push_back(Line{});
        Line header;
        header.kind = Kind::Section;
        header.section = foldedSection;
        header.raw = (QLatin1Char('[') + escapeName(section.toString(), true) + QLatin1Char(']')).toUtf8();
        lines_.push_back(std::move(header));
        lines_.push_back(std::move(entry));
    }
    reindex();
}

} // namespace qx
