// What a program of ours checks and settles about the session it was started in, before anything else runs.
#pragma once

#include <QString>

namespace qx {

// The user's home folder: $HOME when it is an absolute path, otherwise the one the password database gives for
// this user; empty when neither is known. Nothing is ever written outside it by default.
QString homeFolder();

// An XDG base folder: $<variable> when it is an absolute path, otherwise <home>/<fallback>; empty without a home.
QString xdgFolder(const char* variable, const char* fallback);

} // namespace qx
