#include "gui/display/KeyStates.h"

#include <QGuiApplication>

#ifdef TAVREL_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace tavrel::qt {

#ifdef TAVREL_HAVE_X11
namespace {

KeyStates::State IndicatorState(Display* display, const char* name) {
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None) return KeyStates::Unknown;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
        return KeyStates::Unknown;
    return on ? KeyStates::On : KeyStates::Off;
}

}  // namespace
#endif

KeyStates PlatformKeyStates() {
    KeyStates states;
#ifdef TAVREL_HAVE_X11
    auto* app = qGuiApp;
    if (!app) return states;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display()) return states;
    Display* display = x11->display();
    states.caps = IndicatorState(display, "Caps Lock");
    states.num = IndicatorState(display, "Num Lock");
    states.scroll = IndicatorState(display, "Scroll Lock");
    states.kana = IndicatorState(display, "Kana");
#endif
    return states;
}

}  // namespace tavrel::qt
