// The Win32 side of input simulation: the system keyboard, the key delay and
// the installers of the Send and mouse commands.
#ifndef KESTRO_INPUT_INPUT_WIN_H
#define KESTRO_INPUT_INPUT_WIN_H

#include "input/key_scan.h"

namespace input {

// The keyboard of the active layout: VkKeyScan, MapVirtualKey, CharToOem with
// OemKeyScan, and keybd_event followed by the key delay.
const Keyboard& SystemKeyboard();

// Sleeps the key delay; a negative delay counts as zero.
void SleepKeyDelay();

// Plug the command handlers into the command table.
void InstallSendCommands();   // Send
void InstallMouseCommands();  // LeftClick ... MouseGetPos, BlockInput

}  // namespace input

#endif
