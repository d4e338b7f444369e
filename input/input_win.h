// The Win32 side of input simulation: the system keyboard, the key delay and
// the installers of the Send and mouse commands.
#ifndef KESTRO_INPUT_INPUT_WIN_H
#define KESTRO_INPUT_INPUT_WIN_H

#include "script/interp.h"
#include "script/key_scan.h"

namespace input {

// The keyboard of the active layout: VkKeyScan, MapVirtualKey, CharToOem with
// OemKeyScan, and keybd_event (SendInput for Unicode key events), each event
// followed by the interpreter's key delay.
script::Keyboard SystemKeyboard(script::Interp& in);

// Sleeps the key delay; a negative delay counts as zero.
void SleepKeyDelay(const script::Interp& in);

// Plug the command handlers into the interpreter.
void InstallCommands(script::Interp& in);       // install_win.cpp: all of the below
void InstallSendCommands(script::Interp& in);   // Send
void InstallMouseCommands(script::Interp& in);  // LeftClick ... MouseGetPos, BlockInput

}  // namespace input

#endif
