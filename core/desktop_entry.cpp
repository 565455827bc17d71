// Desktop entries naming a program: the one writer of the clock's launcher and of the installed entries.
#include "core/desktop_entry.h"

#include <QStringList>

namespace qx {

namespace {
// A string value of a desktop entry: backslashes and control characters escaped.
QString stringValue(const QString& text) {
    QString value;
    for (const QChar c : text) {
        if (c == u'\\')
            value += QStringLiteral("\\\\");
        else if (c == u'\n')
            value += QStringLiteral("\\n");
        else if (c == u'\t')
            value += QStringLiteral("\\t");
        else if (c == u'\r')
            value += QStringLiteral("\\r");
        else
            value += c;
    }
    return value;
}

// Undoes stringValue().
QString unescapeValue(QStringView value) {
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const QChar next = value[++i];
        text += next == u'n' ? QChar(u'\n') : next == u't' ? QChar(u'\t') : next == u'r' ? QChar(u'\r') : next;
    }
    return text;
}

// One argument of a desktop entry's Exec key. The argument is quoted, and inside the quotes ", `, $ and \ take a
// backslash; % is doubled, as it would start a field code; then the whole value is escaped as any string value is,
// so that a backslash of the path ends up as four. Readers undo these in the opposite order.
QString execArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
        if (c == u'%')
            quoted += u'%';
    }
    quoted += u'"';
    return stringValue(quoted);
}

// The first argument of an Exec value already unescaped as a string: quoted as execArgument() quotes it, or plain
// up to the first space.
QString firstExecArgument(const QString& exec) {
    QString argument;
    if (!exec.startsWith(u'"'))
        return exec.section(u' ', 0, 0).replace(QStringLiteral("%%"), QStringLiteral("%"));
    for (qsizetype i = 1; i < exec.size(); ++i) {
        QChar c = exec[i];
        if (c == u'"')
            return argument;
        if (c == u'\\' && i + 1 < exec.size())
            c = exec[++i];
        else if (c == u'%' && i + 1 < exec.size() && exec[i + 1] == u'%')
            ++i;
        argument += c;
    }
    return {}; // no closing quote: not an Exec line of ours
}
} // namespace

QByteArray desktopEntryText(const QByteArray& entryTemplate, const QString& program) {
    return QString::fromUtf8(entryTemplate)
        .replace(QLatin1String("@EXEC@"), execArgument(program))
        .replace(QLatin1String("@TRYEXEC@"), stringValue(program))
        .toUtf8();
}

QString desktopEntryProgram(const QByteArray& text) {
    QString tryExec, exec;
    bool inEntry = false;
    for (const QString& line : QString::fromUtf8(text).split(u'\n')) {
        if (line.startsWith(u'['))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.startsWith(QLatin1String("TryExec=")))
            tryExec = unescapeValue(QStringView(line).mid(8));
        else if (inEntry && line.startsWith(QLatin1String("Exec=")))
            exec = firstExecArgument(unescapeValue(QStringView(line).mid(5)));
    }
    return tryExec.isEmpty() ? exec : tryExec;
}

} // namespace qx
