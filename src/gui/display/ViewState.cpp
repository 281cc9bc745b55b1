#include "gui/display/ViewState.h"

#include <QSettings>

namespace tavrel::qt {

namespace {
const char* const kFitWidthKey = "View/fitWindowWidth";
const char* const kHideEmptyKey = "View/hideEmptyChannels";
const char* const kShowEventsKey = "View/showEvents";
}  // namespace

ViewState::ViewState(QObject* parent) : QObject(parent) {}

void ViewState::SetCursor(int which, int channel, double ms) {
    ViewCursor& cursor = m_cursors[which == B ? 1 : 0];
    cursor = {true, channel, ms};
    emit cursorsChanged();
}

void ViewState::ClearCursors() {
    if (!AnyCursorSet()) return;
    m_cursors[0] = {};
    m_cursors[1] = {};
    emit cursorsChanged();
}

void ViewState::SetFitWidth(bool on) {
    if (m_fitWidth == on) return;
    m_fitWidth = on;
    QSettings().setValue(QLatin1String(kFitWidthKey), on);
    emit optionsChanged();
}

void ViewState::SetHideEmpty(bool on) {
    if (m_hideEmpty == on) return;
    m_hideEmpty = on;
    QSettings().setValue(QLatin1String(kHideEmptyKey), on);
    emit optionsChanged();
}

void ViewState::SetShowEvents(bool on) {
    if (m_showEvents == on) return;
    m_showEvents = on;
    QSettings().setValue(QLatin1String(kShowEventsKey), on);
    emit optionsChanged();
}

void ViewState::Load() {
    QSettings settings;
    const bool fit = settings.value(QLatin1String(kFitWidthKey), false).toBool();
    const bool hide = settings.value(QLatin1String(kHideEmptyKey), false).toBool();
    const bool events = settings.value(QLatin1String(kShowEventsKey), true).toBool();
    if (fit == m_fitWidth && hide == m_hideEmpty && events == m_showEvents) return;
    m_fitWidth = fit;
    m_hideEmpty = hide;
    m_showEvents = events;
    emit optionsChanged();
}

}  // namespace tavrel::qt
