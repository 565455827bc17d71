// Which boot of the machine this is: the kernel's random id, new at every start of the computer.
#pragma once

#include <QString>

namespace qx {

inline constexpr const char* kBootIdPath = "/proc/sys/kernel/random/boot_id";

// The id read from `path` without its line break, or the empty text when it cannot be read (a kernel without it).
QString readBootId(const QString& path = QString::fromLatin1(kBootIdPath));

} // namespace qx
