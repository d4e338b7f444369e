// Pause, resume and exit as the system menu and the tray menu offer them.
#ifndef KESTRO_HOST_MENUS_H
#define KESTRO_HOST_MENUS_H

namespace host {

// Sets the paused flag and the system menu's item to match; nothing while
// break is off.
void SetPaused(bool paused);

// The tray menu's Exit: stops both timers and the message loop; nothing while
// break is off. The window is not destroyed first.
void ExitFromTray();

// Shows the tray menu at the cursor (right click on the icon).
void ShowTrayMenu();

}  // namespace host

#endif
