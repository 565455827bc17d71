// An INI file held as its own bytes, so that writing one key changes that line and leaves every other byte alone.
#include "platform/ini_document.h"

#include <QStringDecoder>

#include <cstring>

namespace qx {

namespace {

QString fold(QStringView s) {
    return s.toString().toCaseFolded();
}

// UTF-8 to text keeping a leading U+FEFF (QString::fromUtf8 drops it, which would change a name that begins so).
QString decode(const char* p, qsizetype n) {
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(p, n));
}

void appendHexEscape(QString& out, char16_t c) {
    if (c <= 0xff)
        out += QStringLiteral("\\x%1").arg(unsigned(c), 2, 16, QLatin1Char('0'));
    else
        out += QStringLiteral("\\u%1").arg(unsigned(c), 4, 16, QLatin1Char('0'));
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

// The value of `digits` hex digits at text[at], or -1.
int hexAt(QStringView text, qsizetype at, int digits) {
    if (at + digits > text.size())
        return -1;
    int v = 0;
    for (int i = 0; i < digits; ++i) {
        const int d = hexDigit(text[at + i]);
        if (d < 0)
            return -1;
        v = v * 16 + d;
    }
    return v;
}

// Undoes the escapes; \uHHHH only in names, so that a hand-written value such as C:\u1234 keeps its text.
QString unescape(QStringView text, bool name) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const char16_t next = text[i + 1].unicode();
        int v = -1;
        if (next == '\\' || next == 'n' || next == 'r' || next == 't') {
            out += QChar(next == 'n' ? u'\n' : next == 'r' ? u'\r' : next == 't' ? u'\t' : u'\\');
            ++i;
        } else if (next == 'x' && (v = hexAt(text, i + 2, 2)) >= 0) {
            out += QChar(char16_t(v));
            i += 3;
        } else if (name && next == 'u' && (v = hexAt(text, i + 2, 4)) >= 0) {
            out += QChar(char16_t(v));
            i += 5;
        } else {
            out += c; // a backslash that starts no escape is an ordinary character (hand-written paths)
        }
    }
    return out;
}

// Escapes a key or section name so that the line reads back as exactly this name: like a value, plus the characters
// that would end the name or make the line read as something else, white space at either edge and U+FEFF (which at
// the start of a file is a byte-order mark).
QString escapeName(const QString& name, bool isSection) {
    QString out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool edge = i == 0 || i == name.size() - 1;
        if (c == '\\')
            out += QStringLiteral("\\\\");
        else if (isControl(c) || c == 0xfeff || (isSection && c == ']') || (!isSection && c == '=') ||
                 (i == 0 && !isSection && (c == '[' || c == ';' || c == '#')) || (edge && QChar(c).isSpace()))
            appendHexEscape(out, c);
        else
            out += QChar(c);
    }
    return out;
}

bool isBlankByte(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
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
    return unescape(text, false);
}

IniDocument::Name IniDocument::name(QStringView section, QStringView key) {
    return {fold(section), fold(key)};
}

IniDocument IniDocument::parse(QByteArray bytes) {
    IniDocument doc;
    doc.text_ = std::move(bytes);
    doc.blocks_.push_back(Block{});
    doc.latest_.insert(QString(), 0);
    const char* p = doc.text_.constData();
    const qsizetype n = doc.text_.size();
    // A byte-order mark is one only at the very start of the file; anywhere else it belongs to the line's text.
    qsizetype start = doc.text_.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    doc.blocks_[0].insertAt = start;
    doc.blocks_[0].lineBreak = 1; // a new key goes at the start of a line
    while (start < n) {
        if (p[start] == '\n') { // an empty line, the commonest line of a padded file: nothing to look at
            ++start;
            continue;
        }
        const void* nl = std::memchr(p + start, '\n', std::size_t(n - start));
        const qsizetype end = nl ? static_cast<const char*>(nl) - p : n;
        doc.parseLine(start, end, nl ? end + 1 : n);
        start = end + 1;
    }
    return doc;
}

// One line: text_[start, end), the next line starting at `next`.
void IniDocument::parseLine(qsizetype start, qsizetype end, qsizetype next) {
    const char* p = text_.constData();
    qsizetype textEnd = end;
    if (textEnd > start && p[textEnd - 1] == '\r')
        --textEnd;
    qsizetype s = start;
    while (s < textEnd && isBlankByte(p[s]))
        ++s;
    if (s == textEnd)
        return; // blank: costs nothing
    Block* block = &blocks_.back();
    const auto noteLine = [&](Block& b) {
        b.insertAt = next;
        b.lineBreak = next == end ? 0 : end > textEnd ? 2 : 1;
    };
    if (p[s] == ';' || p[s] == '#') {
        noteLine(*block);
        return;
    }

    const QString line = decode(p + s, textEnd - s);
    const QStringView trimmed = QStringView(line).trimmed();
    if (trimmed.isEmpty())
        return;
    if (trimmed.front() == QLatin1Char('[')) {
        // Our own writer escapes ']' in names, so the first one closes the name; a comment may follow it.
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        const QStringView rest = close > 0 ? trimmed.mid(close + 1).trimmed() : QStringView();
        Block header;
        header.readable =
            close > 0 && (rest.isEmpty() || rest.front() == QLatin1Char(';') || rest.front() == QLatin1Char('#'));
        if (header.readable) {
            header.spelled = unescape(trimmed.mid(1, close - 1).trimmed(), true);
            header.section = fold(header.spelled);
            latest_.insert(header.section, blocks_.size());
        } else {
            ++unreadableLines_;
        }
        noteLine(header);
        blocks_.push_back(std::move(header));
        return;
    }
    noteLine(*block);
    const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
    const QStringView key = eq > 0 ? trimmed.left(eq).trimmed() : QStringView();
    if (key.isEmpty()) {
        ++unreadableLines_;
        return;
    }
    if (!block->readable)
        return;
    // '=' is one byte in UTF-8 and no part of any other character, so the first '=' byte is the same '='.
    const qsizetype eqByte = static_cast<const char*>(std::memchr(p + s, '=', std::size_t(textEnd - s))) - p;
    addEntry({block->section, fold(unescape(key, true))}, Entry{eqByte + 1, textEnd, blocks_.size() - 1});
}

void IniDocument::addEntry(const Name& name, Entry entry) {
    const auto it = index_.constFind(name);
    if (it != index_.constEnd()) {
        entries_[*it] = entry; // the later of two equal keys counts; the earlier is never looked at again
        return;
    }
    index_.insert(name, entries_.size());
    entries_.push_back(entry);
}

void IniDocument::shiftFrom(qsizetype at, qsizetype delta) {
    // Entries are whole lines: one that starts at or after `at` moves, one before it (even if it ends there) stays.
    for (Entry& e : entries_)
        if (e.valueStart >= at) {
            e.valueStart += delta;
            e.valueEnd += delta;
        }
    for (Block& b : blocks_)
        if (b.insertAt >= at)
            b.insertAt += delta;
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const {
    const auto it = index_.constFind(name(section, key));
    if (it == index_.constEnd())
        return std::nullopt;
    const Entry& e = entries_[*it];
    const QString raw = decode(text_.constData() + e.valueStart, e.valueEnd - e.valueStart);
    return unescapeIniValue(QStringView(raw).trimmed());
}

QHash<IniDocument::Name, QString> IniDocument::values() const {
    QHash<Name, QString> out;
    out.reserve(index_.size());
    for (auto it = index_.constBegin(); it != index_.constEnd(); ++it)
        out.insert(it.key(), *value(it.key().first, it.key().second));
    return out;
}

bool IniDocument::setValue(QStringView section, QStringView key, const QString& value) {
    if (key.isEmpty())
        return false;
    const QByteArray escaped = escapeIniValue(value).toUtf8();
    const Name entryName = name(section, key);
    const auto it = index_.constFind(entryName);
    if (it != index_.constEnd()) {
        // Keep the spelling and indentation of the key as the file has it; replace what follows the '='.
        Entry& e = entries_[*it];
        const qsizetype oldEnd = e.valueEnd;
        const qsizetype delta = escaped.size() - (oldEnd - e.valueStart);
        text_.replace(e.valueStart, oldEnd - e.valueStart, escaped);
        const qsizetype valueStart = e.valueStart;
        shiftFrom(oldEnd, delta);
        e.valueStart = valueStart;
        e.valueEnd = valueStart + escaped.size();
        return true;
    }

    const QByteArray entryLine = escapeName(key.toString(), false).toUtf8() + '=' + escaped;
    const auto latest = latest_.constFind(entryName.first);
    if (latest != latest_.constEnd()) {
        // Into the last block of that section, after its last non-blank line.
        Block& block = blocks_[*latest];
        const qsizetype at = block.insertAt;
        const QByteArray lineEnd = block.lineBreak == 2 ? QByteArray("\r\n") : QByteArray("\n");
        const QByteArray before = block.lineBreak == 0 && at > 0 ? lineEnd : QByteArray();
        text_.insert(at, before + entryLine + lineEnd);
        const qsizetype valueStart = at + before.size() + entryLine.size() - escaped.size();
        shiftFrom(at, before.size() + entryLine.size() + lineEnd.size());
        block.insertAt = at + before.size() + entryLine.size() + lineEnd.size();
        block.lineBreak = lineEnd.size();
        addEntry(entryName, Entry{valueStart, valueStart + escaped.size(), std::size_t(*latest)});
        return true;
    }

    // A new section at the end, after a blank line.
    QByteArray add;
    if (!text_.isEmpty() && !text_.endsWith('\n')) {
        // The file's last line gets its line end; a block that ended with it now ends after that line end.
        add += '\n';
        for (Block& b : blocks_)
            if (b.insertAt == text_.size() && b.lineBreak == 0) {
                b.insertAt += 1;
                b.lineBreak = 1;
            }
    }
    if (!text_.isEmpty() && !text_.endsWith("\n\n") && !text_.endsWith("\n\r\n"))
        add += '\n';
    add += '[' + escapeName(section.toString(), true).toUtf8() + "]\n";
    const qsizetype valueStart = text_.size() + add.size() + entryLine.size() - escaped.size();
    add += entryLine + '\n';
    text_ += add;
    Block block;
    block.section = entryName.first;
    block.spelled = section.toString();
    block.insertAt = text_.size();
    block.lineBreak = 1;
    latest_.insert(block.section, blocks_.size());
    blocks_.push_back(std::move(block));
    addEntry(entryName, Entry{valueStart, valueStart + escaped.size(), blocks_.size() - 1});
    return true;
}

std::vector<IniDocument::Spelled> IniDocument::spelledEntries() const {
    std::vector<Spelled> out;
    out.reserve(index_.size());
    const char* p = text_.constData();
    for (auto it = index_.constBegin(); it != index_.constEnd(); ++it) {
        const Entry& e = entries_[*it];
        qsizetype lineStart = e.valueStart - 1; // the '='
        while (lineStart > 0 && p[lineStart - 1] != '\n')
            --lineStart;
        if (lineStart == 0 && text_.startsWith("\xEF\xBB\xBF"))
            lineStart = 3;
        const QString key = decode(p + lineStart, e.valueStart - 1 - lineStart);
        out.push_back({blocks_[e.block].spelled, unescape(QStringView(key).trimmed(), true),
                       *value(it.key().first, it.key().second)});
    }
    return out;
}

} // namespace qx
