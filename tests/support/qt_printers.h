// Readable GoogleTest messages for Qt strings and lists of them.
#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '{';
    for (const QString& s : list)
        *os << (&s == &list.front() ? "" : ", ") << '"' << s.toStdString() << '"';
    *os << '}';
}
