// Pictures of the toolbar buttons: new, open, save, cut, copy, paste, print and about. The
// desktop's icon theme supplies them where it has them; otherwise the program draws its own
// small pictures in the same classic style, so the toolbar never shows unrelated symbols.
#pragma once

#include <QIcon>

namespace tavrel::qt {

// The icon of a toolbar command (ID_FILE_NEW ... ID_APP_ABOUT); a null icon for other ids.
QIcon ToolBarIcon(int commandId);

// The program's own drawing of that icon, whatever the theme holds.
QIcon DrawnToolBarIcon(int commandId);

}  // namespace tavrel::qt
