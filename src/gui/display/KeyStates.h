// The lock-key states shown in the main window's status bar, read from the window system: on X11
// from the keyboard's indicator lamps ("Caps Lock", "Num Lock", "Scroll Lock", "Kana"). A lamp
// the keyboard does not have, and every lamp on a platform without such a query (Wayland, the
// offscreen platform), is reported as unknown.
#pragma once

#include "gui/display/MainFrame.h"

namespace tavrel::qt {

KeyStates PlatformKeyStates();

}  // namespace tavrel::qt
