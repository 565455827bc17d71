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

namespace {

constexpr quint64 kFnvBasis = 14695981039346656037ull;
constexpr quint64 kFnvPrime = 1099511628211ull;

// Never 0, which marks a header that could not be read.
quint64 hashUnits(QStringView folded) {
    quint64 h = kFnvBasis;
    for (const QChar c : folded)
        h = (h ^ c.unicode()) * kFnvPrime;
    return h | 1;
}

// The same hash for ASCII bytes without a backslash, whose folding is lower case: no text is made for them.
bool asciiPlain(const char* p, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80 || p[i] == '\\')
            return false;
    return true;
}
quint64 hashAscii(const char* p, qsizetype n) {
    quint64 h = kFnvBasis;
    for (qsizetype i = 0; i < n; ++i) {
        char c = p[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        h = (h ^ static_cast<unsigned char>(c)) * kFnvPrime;
    }
    return h | 1;
}

// Where a section's hash starts probing: FNV's low bits alone cluster for names such as s1, s2, s3.
std::size_t sectionSlot(quint64 h) {
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return std::size_t(h);
}

quint32 nameHash(quint64 section, quint64 key) {
    quint64 h = section * 0x9E3779B97F4A7C15ull ^ key;
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
    return quint32(h) | 1u; // never 0
}

bool isAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The name between two offsets, trimmed as a person's spaces are (ASCII fast path only).
std::pair<qsizetype, qsizetype> trimAscii(const char* p, qsizetype from, qsizetype to) {
    while (from < to && isAsciiSpace(p[from]))
        ++from;
    while (to > from && isAsciiSpace(p[to - 1]))
        --to;
    return {from, to};
}

// What a header line [s, textEnd) says: whether it is readable, and its name unescaped (not folded).
struct Header {
    bool readable = false;
    QString name;
};
Header readHeader(QStringView trimmed) {
    Header h;
    // Our own writer escapes ']' in names, so the first one closes the name; a comment may follow it.
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    const QStringView rest = close > 0 ? trimmed.mid(close + 1).trimmed() : QStringView();
    h.readable = close > 0 && (rest.isEmpty() || rest.front() == QLatin1Char(';') || rest.front() == QLatin1Char('#'));
    if (h.readable)
        h.name = unescape(trimmed.mid(1, close - 1).trimmed(), true);
    return h;
}

// Keeps a table of slots at most half full; true when it was made anew (empty, larger).
bool growSlots(std::vector<quint32>& table, std::size_t filled) {
    if ((filled + 1) * 2 <= table.size())
        return false;
    const std::size_t size = std::max<std::size_t>(16, table.size() * 2);
    table.assign(size, 0);
    return true;
}

bool equalFoldedAscii(const char* a, const char* b, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

std::pair<qsizetype, qsizetype> IniDocument::keyBytes(const Entry& e) const {
    const char* p = text_.constData();
    qsizetype lineStart = qsizetype(e.valueStart) - 1; // the '='
    while (lineStart > 0 && p[lineStart - 1] != '\n')
        --lineStart;
    if (lineStart == 0 && text_.startsWith("\xEF\xBB\xBF"))
        lineStart = 3;
    return {lineStart, qsizetype(e.valueStart) - 1};
}

QString IniDocument::keyOf(const Entry& e, bool folded) const {
    const auto [from, to] = keyBytes(e);
    const QString raw = decode(text_.constData() + from, to - from);
    const QString key = unescape(QStringView(raw).trimmed(), true);
    return folded ? key.toCaseFolded() : key;
}

QString IniDocument::sectionOf(std::size_t block, bool folded) const {
    if (block == 0)
        return QString();
    const Block& b = blocks_[block];
    const char* p = text_.constData();
    qsizetype end = b.bodyStart;
    while (end > qsizetype(b.headerStart) && (p[end - 1] == '\n' || p[end - 1] == '\r'))
        --end;
    const QString line = decode(p + b.headerStart, end - b.headerStart);
    const QString name = readHeader(QStringView(line).trimmed()).name;
    return folded ? name.toCaseFolded() : name;
}

qsizetype IniDocument::findEntry(quint32 hash, QStringView section, QStringView key) const {
    if (entrySlots_.empty())
        return -1;
    const std::size_t mask = entrySlots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const quint32 slot = entrySlots_[i];
        if (slot == 0)
            return -1;
        const Entry& e = entries_[slot - 1];
        if (e.hash == hash && sectionOf(e.block, true) == section && keyOf(e, true) == key)
            return qsizetype(slot - 1);
    }
}

void IniDocument::indexEntry(std::size_t entry) {
    // After a growth every entry goes in again; otherwise only the new one.
    const bool rebuild = growSlots(entrySlots_, entries_.size() - 1);
    const std::size_t mask = entrySlots_.size() - 1;
    const auto place = [&](std::size_t index) {
        std::size_t i = entries_[index].hash & mask;
        while (entrySlots_[i] != 0)
            i = (i + 1) & mask;
        entrySlots_[i] = quint32(index + 1);
    };
    if (rebuild)
        for (std::size_t k = 0; k < entries_.size(); ++k)
            place(k);
    else
        place(entry);
}

qsizetype IniDocument::findBlock(quint64 section, QStringView name) const {
    if (blockSlots_.empty())
        return -1;
    const std::size_t mask = blockSlots_.size() - 1;
    for (std::size_t i = sectionSlot(section) & mask;; i = (i + 1) & mask) {
        const quint32 slot = blockSlots_[i];
        if (slot == 0)
            return -1;
        if (blocks_[slot - 1].section == section && sectionOf(slot - 1, true) == name)
            return qsizetype(i);
    }
}

qsizetype IniDocument::findSameBlock(std::size_t block) const {
    const quint64 section = blocks_[block].section;
    const std::size_t mask = blockSlots_.size() - 1;
    for (std::size_t i = sectionSlot(section) & mask;; i = (i + 1) & mask) {
        const quint32 slot = blockSlots_[i];
        if (slot == 0)
            return -1;
        if (slot - 1 != block && blocks_[slot - 1].section == section &&
            sectionOf(slot - 1, true) == sectionOf(block, true))
            return qsizetype(i);
    }
}

void IniDocument::indexBlock(std::size_t block) {
    // The later block of a section replaces the earlier one in its slot.
    if (!blockSlots_.empty()) {
        const qsizetype at = findSameBlock(block);
        if (at >= 0) {
            blockSlots_[std::size_t(at)] = quint32(block + 1);
            return;
        }
    }
    const bool grown = growSlots(blockSlots_, sections_);
    ++sections_;
    const std::size_t mask = blockSlots_.size() - 1;
    const auto place = [&](std::size_t index) {
        std::size_t i = sectionSlot(blocks_[index].section) & mask;
        while (blockSlots_[i] != 0)
            i = (i + 1) & mask;
        blockSlots_[i] = quint32(index + 1);
    };
    if (grown) {
        // Again every section's last readable block, in file order so that the later block wins.
        sections_ = 0;
        for (std::size_t k = 0; k <= block; ++k) {
            if (!blocks_[k].readable())
                continue;
            const qsizetype at = findSameBlock(k);
            if (at >= 0)
                blockSlots_[std::size_t(at)] = quint32(k + 1);
            else {
                place(k);
                ++sections_;
            }
        }
        return;
    }
    place(block);
}

IniDocument IniDocument::parse(QByteArray bytes) {
    IniDocument doc;
    doc.text_ = std::move(bytes);
    const char* p = doc.text_.constData();
    const qsizetype n = doc.text_.size();
    // A byte-order mark is one only at the very start of the file; anywhere else it belongs to the line's text.
    qsizetype start = doc.text_.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    doc.blocks_.push_back(Block{0, quint32(start), hashUnits(QStringView())});
    doc.indexBlock(0);
    while (start < n) {
        if (p[start] == '\n') { // an empty line, the commonest line of a padded file: nothing to look at
            ++start;
            continue;
        }
        const void* nl = std::memchr(p + start, '\n', std::size_t(n - start));
        const qsizetype end = nl ? static_cast<const char*>(nl) - p : n;
        doc.parseLine(start, end);
        start = end + 1;
    }
    return doc;
}

// One line: text_[start, end).
void IniDocument::parseLine(qsizetype start, qsizetype end) {
    const char* p = text_.constData();
    qsizetype textEnd = end;
    if (textEnd > start && p[textEnd - 1] == '\r')
        --textEnd;
    qsizetype s = start;
    while (s < textEnd && isBlankByte(p[s]))
        ++s;
    if (s == textEnd || p[s] == ';' || p[s] == '#')
        return; // blank or a comment: costs nothing
    const qsizetype next = end < text_.size() ? end + 1 : end;

    if (p[s] == '[' && asciiPlain(p + s, textEnd - s)) {
        // A plain ASCII header: read from its bytes.
        const void* closeAt = std::memchr(p + s, ']', std::size_t(textEnd - s));
        const qsizetype close = closeAt ? static_cast<const char*>(closeAt) - p : -1;
        qsizetype rest = close + 1;
        while (close > s && rest < textEnd && isAsciiSpace(p[rest]))
            ++rest;
        Block block{quint32(start), quint32(next), 0};
        if (close > s && (rest == textEnd || p[rest] == ';' || p[rest] == '#')) {
            const auto [from, to] = trimAscii(p, s + 1, close);
            block.section = hashAscii(p + from, to - from);
        } else {
            ++unreadableLines_;
        }
        blocks_.push_back(block);
        if (block.readable())
            indexBlock(blocks_.size() - 1);
        return;
    }
    if (p[s] != '[') {
        const void* eqAt = std::memchr(p + s, '=', std::size_t(textEnd - s));
        const qsizetype eqByte = eqAt ? static_cast<const char*>(eqAt) - p : -1;
        // The common line, `name=value` in plain ASCII: hashed from its bytes, no text made.
        if (eqByte >= 0 && asciiPlain(p + s, eqByte - s)) {
            const auto [from, to] = trimAscii(p, s, eqByte);
            if (from == to) {
                ++unreadableLines_;
                return;
            }
            const Block& block = blocks_.back();
            if (!block.readable())
                return;
            addEntry(Entry{quint32(eqByte + 1), quint32(textEnd), quint32(blocks_.size() - 1),
                           nameHash(block.section, hashAscii(p + from, to - from))},
                     {}, {}, from, to);
            return;
        }
    }

    const QString line = decode(p + s, textEnd - s);
    const QStringView trimmed = QStringView(line).trimmed();
    if (trimmed.isEmpty())
        return;
    if (trimmed.front() == QLatin1Char('[')) {
        const Header header = readHeader(trimmed);
        Block block{quint32(start), quint32(next), 0};
        if (header.readable)
            block.section = hashUnits(header.name.toCaseFolded());
        else
            ++unreadableLines_;
        blocks_.push_back(block);
        if (header.readable)
            indexBlock(blocks_.size() - 1);
        return;
    }
    const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
    const QStringView key = eq > 0 ? trimmed.left(eq).trimmed() : QStringView();
    if (key.isEmpty()) {
        ++unreadableLines_;
        return;
    }
    const Block& block = blocks_.back();
    if (!block.readable())
        return;
    // '=' is one byte in UTF-8 and no part of any other character, so the first '=' byte is the same '='.
    const qsizetype eqByte = static_cast<const char*>(std::memchr(p + s, '=', std::size_t(textEnd - s))) - p;
    const QString folded = fold(unescape(key, true));
    addEntry(Entry{quint32(eqByte + 1), quint32(textEnd), quint32(blocks_.size() - 1),
                   nameHash(block.section, hashUnits(folded))},
             sectionOf(blocks_.size() - 1, true), folded, -1, -1);
}

// `section` and `key` folded, or (for the ASCII fast path) empty with the key's bytes at [keyStart, keyEnd).
void IniDocument::addEntry(Entry entry, QStringView section, QStringView key, qsizetype keyStart, qsizetype keyEnd) {
    if (!entrySlots_.empty()) {
        const std::size_t mask = entrySlots_.size() - 1;
        for (std::size_t i = entry.hash & mask;; i = (i + 1) & mask) {
            const quint32 slot = entrySlots_[i];
            if (slot == 0)
                break;
            Entry& other = entries_[slot - 1];
            if (other.hash != entry.hash)
                continue;
            bool same;
            if (keyStart >= 0 && other.block == entry.block) {
                // The same block and the same bytes are the same name; otherwise compare the names themselves.
                const auto [from, to] = keyBytes(other);
                const auto [tf, tt] = trimAscii(text_.constData(), from, to);
                const bool plain = asciiPlain(text_.constData() + tf, tt - tf);
                same = plain && tt - tf == keyEnd - keyStart &&
                       equalFoldedAscii(text_.constData() + tf, text_.constData() + keyStart, tt - tf);
                if (!plain)
                    same = keyOf(other, true) == fold(decode(text_.constData() + keyStart, keyEnd - keyStart));
            } else {
                const QString s = keyStart >= 0 ? sectionOf(entry.block, true) : section.toString();
                const QString k =
                    keyStart >= 0 ? fold(decode(text_.constData() + keyStart, keyEnd - keyStart)) : key.toString();
                same = sectionOf(other.block, true) == s && keyOf(other, true) == k;
            }
            if (same) {
                other = entry; // the later of two equal keys counts; the earlier is never looked at again
                return;
            }
        }
    }
    entries_.push_back(entry);
    indexEntry(entries_.size() - 1);
}

void IniDocument::shiftFrom(qsizetype at, qsizetype delta) {
    // Entries are whole lines: one that starts at or after `at` moves, one before it (even if it ends there) stays.
    // Such an entry's value starts after its '=', so after `at`; an empty value at the very end of the file can start
    // at `at` itself and stays.
    for (Entry& e : entries_)
        if (qsizetype(e.valueStart) > at) {
            e.valueStart = quint32(e.valueStart + delta);
            e.valueEnd = quint32(e.valueEnd + delta);
        }
    // A header at `at` moves; a body that begins at `at` takes in what is inserted there (the first key of a section
    // with no lines of its own), so its start stays and the header before it stays one line.
    for (std::size_t i = 1; i < blocks_.size(); ++i) {
        Block& b = blocks_[i];
        if (qsizetype(b.headerStart) >= at)
            b.headerStart = quint32(b.headerStart + delta);
        if (qsizetype(b.bodyStart) > at)
            b.bodyStart = quint32(b.bodyStart + delta);
    }
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const {
    const Name n = name(section, key);
    const qsizetype found = findEntry(nameHash(hashUnits(n.first), hashUnits(n.second)), n.first, n.second);
    if (found < 0)
        return std::nullopt;
    const Entry& e = entries_[std::size_t(found)];
    const QString raw = decode(text_.constData() + e.valueStart, e.valueEnd - e.valueStart);
    return unescapeIniValue(QStringView(raw).trimmed());
}

QHash<IniDocument::Name, QString> IniDocument::values() const {
    QHash<Name, QString> out;
    out.reserve(qsizetype(entries_.size()));
    for (const Entry& e : entries_) {
        const QString raw = decode(text_.constData() + e.valueStart, e.valueEnd - e.valueStart);
        out.insert({sectionOf(e.block, true), keyOf(e, true)}, unescapeIniValue(QStringView(raw).trimmed()));
    }
    return out;
}

std::vector<IniDocument::Spelled> IniDocument::spelledEntries() const {
    std::vector<Spelled> out;
    out.reserve(entries_.size());
    for (const Entry& e : entries_) {
        const QString raw = decode(text_.constData() + e.valueStart, e.valueEnd - e.valueStart);
        out.push_back({sectionOf(e.block, false), keyOf(e, false), unescapeIniValue(QStringView(raw).trimmed())});
    }
    return out;
}

std::pair<qsizetype, int> IniDocument::insertionPoint(std::size_t block) const {
    const Block& b = blocks_[block];
    const char* p = text_.constData();
    const qsizetype end = block + 1 < blocks_.size() ? qsizetype(blocks_[block + 1].headerStart) : text_.size();
    // After the header line itself when nothing follows it (block 0: the file's start, a line begins there).
    qsizetype at = b.bodyStart;
    int lineBreak = 1;
    if (block > 0) {
        const qsizetype body = b.bodyStart;
        lineBreak = body > 0 && p[body - 1] == '\n' ? (body > 1 && p[body - 2] == '\r' ? 2 : 1) : 0;
    }
    for (qsizetype start = b.bodyStart; start < end;) {
        const void* nl = std::memchr(p + start, '\n', std::size_t(end - start));
        const qsizetype lineEnd = nl ? static_cast<const char*>(nl) - p : end;
        qsizetype textEnd = lineEnd > start && p[lineEnd - 1] == '\r' ? lineEnd - 1 : lineEnd;
        qsizetype s = start;
        while (s < textEnd && isBlankByte(p[s]))
            ++s;
        bool blank = s == textEnd;
        if (!blank && static_cast<unsigned char>(p[s]) >= 0x80) // white space beyond ASCII counts as blank too
            blank = QStringView(decode(p + s, textEnd - s)).trimmed().isEmpty();
        if (!blank) {
            at = nl ? lineEnd + 1 : lineEnd;
            lineBreak = !nl ? 0 : textEnd < lineEnd ? 2 : 1;
        }
        start = lineEnd + 1;
    }
    return {at, lineBreak};
}

bool IniDocument::setValue(QStringView section, QStringView key, const QString& value) {
    if (key.isEmpty())
        return false;
    const QByteArray escaped = escapeIniValue(value).toUtf8();
    const Name entryName = name(section, key);
    const quint64 sectionHash = hashUnits(entryName.first);
    const quint32 hash = nameHash(sectionHash, hashUnits(entryName.second));
    const qsizetype found = findEntry(hash, entryName.first, entryName.second);
    if (found >= 0) {
        // Keep the spelling and indentation of the key as the file has it; replace what follows the '='.
        Entry& e = entries_[std::size_t(found)];
        const qsizetype valueStart = e.valueStart;
        const qsizetype oldEnd = e.valueEnd;
        const qsizetype delta = escaped.size() - (oldEnd - valueStart);
        text_.replace(valueStart, oldEnd - valueStart, escaped);
        shiftFrom(oldEnd, delta);
        e.valueStart = quint32(valueStart);
        e.valueEnd = quint32(valueStart + escaped.size());
        return true;
    }

    const QByteArray entryLine = escapeName(key.toString(), false).toUtf8() + '=' + escaped;
    const qsizetype latestSlot = findBlock(sectionHash, entryName.first);
    if (latestSlot >= 0) {
        // Into the last block of that section, after its last non-blank line.
        const std::size_t block = blockSlots_[std::size_t(latestSlot)] - 1;
        const auto [at, lineBreak] = insertionPoint(block);
        const QByteArray lineEnd = lineBreak == 2 ? QByteArray("\r\n") : QByteArray("\n");
        const QByteArray before = lineBreak == 0 && at > 0 ? lineEnd : QByteArray();
        text_.insert(at, before + entryLine + lineEnd);
        const qsizetype valueStart = at + before.size() + entryLine.size() - escaped.size();
        shiftFrom(at, before.size() + entryLine.size() + lineEnd.size());
        entries_.push_back(Entry{quint32(valueStart), quint32(valueStart + escaped.size()), quint32(block), hash});
        indexEntry(entries_.size() - 1);
        return true;
    }

    // A new section at the end, after a blank line.
    QByteArray add;
    if (!text_.isEmpty() && !text_.endsWith('\n'))
        add += '\n'; // the file's last line gets its line end
    if (!text_.isEmpty() && !text_.endsWith("\n\n") && !text_.endsWith("\n\r\n"))
        add += '\n';
    const qsizetype headerStart = text_.size() + add.size();
    add += '[' + escapeName(section.toString(), true).toUtf8() + "]\n";
    const qsizetype bodyStart = text_.size() + add.size();
    const qsizetype valueStart = bodyStart + entryLine.size() - escaped.size();
    add += entryLine + '\n';
    text_ += add;
    blocks_.push_back(Block{quint32(headerStart), quint32(bodyStart), sectionHash});
    indexBlock(blocks_.size() - 1);
    entries_.push_back(
        Entry{quint32(valueStart), quint32(valueStart + escaped.size()), quint32(blocks_.size() - 1), hash});
    indexEntry(entries_.size() - 1);
    return true;
}

bool IniDocument::mayHideKey(QStringView section, QStringView key) const {
    if (unreadableLines_ == 0 || key.isEmpty())
        return false;
    const QString wantedSection = fold(section);
    const QString wantedKey = fold(key);
    const char* p = text_.constData();
    const qsizetype n = text_.size();
    std::optional<QString> current = QString(); // the lines before the first header belong to the unnamed section
    for (qsizetype start = text_.startsWith("\xEF\xBB\xBF") ? 3 : 0; start < n;) {
        const void* nl = std::memchr(p + start, '\n', std::size_t(n - start));
        const qsizetype end = nl ? static_cast<const char*>(nl) - p : n;
        qsizetype s = start;
        while (s < end && isBlankByte(p[s]))
            ++s;
        start = end + 1;
        if (s == end || p[s] == ';' || p[s] == '#')
            continue;
        const QString line = decode(p + s, end - s);
        const QStringView trimmed = QStringView(line).trimmed();
        if (trimmed.isEmpty())
            continue;
        if (trimmed.front() == QLatin1Char('[')) {
            const Header header = readHeader(trimmed);
            current = header.readable ? std::optional<QString>(fold(header.name)) : std::nullopt;
            continue;
        }
        const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
        const QStringView name = eq > 0 ? trimmed.left(eq).trimmed() : QStringView();
        if (!name.isEmpty()) {
            if (!current && fold(unescape(name, true)) == wantedKey)
                return true; // a key of a section nobody can read
            continue;
        }
        if ((!current || *current == wantedSection) && fold(trimmed).startsWith(wantedKey))
            return true; // the key's line lost its '='
    }
    return false;
}

} // namespace qx
