// The user's own folders as the XDG base directory rules name them.
#pragma once

#include <QString>

namespace qx {

// $XDG_CONFIG_HOME, or ~/.config when it is unset, empty or not an absolute path (as the rules say to ignore it then).
QString xdgConfigHome();
// $XDG_DATA_HOME, or ~/.local/share likewise.
QString xdgDataHome();

} // namespace qx
