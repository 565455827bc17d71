// Windows that must be seen: brought in front of the user even where the window manager holds new windows back.
#pragma once

class QWindow;

namespace qx {

// For a window that has just been shown and must not go unseen (an alarm): it gets the urgency hint, is raised and
// is activated on the user's behalf. On X11 the activation is asked for as a pager asks it (_NET_ACTIVE_WINDOW with
// source 2), which window managers that prevent focus stealing carry out, where the application's own request
// (source 1) only makes the task bar blink. Focused, it leaves a full-screen window behind, whose layer otherwise
// stays above even an always-on-top window. A request the window manager turns down because the user is busy in
// another window at that moment is made again after a second, up to four times in all, until the window is active.
// Without X11 the toolkit's own raise and activation are all there is.
void demandAttention(QWindow* window);

} // namespace qx
