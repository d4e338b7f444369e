// The command table: the 72 commands in their fixed order, each with the shape
// of its parameters. Include this file after defining KST_COMMAND.
//
// KST_COMMAND(KEYWORD, FORM, REQUIRED, KINDS, MESSAGE)
//   KEYWORD   the upper-case keyword; its position is the command's index,
//             which the wait states and the dispatcher use.
//   FORM      kNoFields: reads nothing;
//             kLineFields: the fields are split at commas and the last one
//               takes the rest of the line, commas included;
//             kTailFields: a condition; every field ends at a comma and the
//               rest of the line runs as a command of its own when it holds.
//   REQUIRED  how many leading fields must end at a comma.
//   KINDS     one letter per field, what the field holds (see FieldKind).
//   MESSAGE   the error when a required comma is missing; 0 when the command
//             then silently does nothing instead.
//
// Wording kept as the runner always had it: "FileAppendLine:" names FileAppend,
// and IfExist/IfNotExist end without "!".
KST_COMMAND(EXESCRIPT,         kNoFields,   0, "",       0)  //  0 recognised, does nothing
KST_COMMAND(WINWAIT,           kLineFields, 0, "wxn",    0)  //  1 wait until a matching window exists
KST_COMMAND(WINWAITACTIVE,     kLineFields, 0, "wxn",    0)  //  2 wait until a matching window is active
KST_COMMAND(WINWAITCLOSE,      kLineFields, 0, "wxn",    0)  //  3 wait until no matching window exists
KST_COMMAND(QUIT,              kNoFields,   0, "",       0)  //  4 recognised, does nothing (its index is the stopping state)
KST_COMMAND(WINACTIVATE,       kLineFields, 0, "wx",     0)  //  5 activate the matching window
KST_COMMAND(RUNWAIT,           kLineFields, 0, "cpo",    0)  //  6 run a program and wait for it to end
KST_COMMAND(WINMINIMIZE,       kLineFields, 0, "wx",     0)  //  7 minimise the matching window
KST_COMMAND(WINRESTORE,        kLineFields, 0, "wx",     0)  //  8 restore the matching window
KST_COMMAND(WINHIDE,           kLineFields, 0, "wx",     0)  //  9 hide the matching window
KST_COMMAND(WINMAXIMIZE,       kLineFields, 0, "wx",     0)  // 10 maximise the matching window
KST_COMMAND(WINCLOSE,          kLineFields, 0, "wx",     0)  // 11 ask the matching window to close
KST_COMMAND(RUN,               kLineFields, 0, "cpo",    0)  // 12 run a program
KST_COMMAND(SETKEYDELAY,       kLineFields, 0, "n",      0)  // 13 key delay := N
KST_COMMAND(SLEEP,             kLineFields, 0, "n",      0)  // 14 step delay += N
KST_COMMAND(LEFTCLICK,         kLineFields, 1, "nn",     0)  // 15 click the left mouse button
KST_COMMAND(RIGHTCLICK,        kLineFields, 1, "nn",     0)  // 16 click the right mouse button
KST_COMMAND(SEND,              kLineFields, 0, "k",      0)  // 17 type keystrokes
KST_COMMAND(IFWINEXIST,        kTailFields, 2, "wx",     "IfWinExist: Invalid number of parameters!")        // 18
KST_COMMAND(IFWINNOTEXIST,     kTailFields, 2, "wx",     "IfWinNotExist: Invalid number of parameters!")     // 19
KST_COMMAND(IFWINACTIVE,       kTailFields, 2, "wx",     "IfWinActive: Invalid number of parameters!")       // 20
KST_COMMAND(IFWINNOTACTIVE,    kTailFields, 2, "wx",     "IfWinNotActive: Invalid number of parameters!")    // 21
KST_COMMAND(GOTO,              kLineFields, 0, "l",      0)  // 22 jump to a label
KST_COMMAND(GOSUB,             kLineFields, 0, "l",      0)  // 23 push a return point, jump to a label
KST_COMMAND(SETTITLEMATCHMODE, kLineFields, 0, "n",      0)  // 24 title match mode := N
KST_COMMAND(SETENV,            kLineFields, 1, "vs",     0)  // 25 set a variable
KST_COMMAND(IFEXIST,           kTailFields, 1, "p",      "IfExist: Invalid number of parameters")            // 26
KST_COMMAND(IFNOTEXIST,        kTailFields, 1, "p",      "IfNotExist: Invalid number of parameters")         // 27
KST_COMMAND(MSGBOX,            kLineFields, 2, "nss",    "MsgBox: Invalid number of parameters!")            // 28
KST_COMMAND(INPUTBOX,          kLineFields, 2, "vsso",   "InputBox: Invalid number of parameters!")          // 29
KST_COMMAND(IFEQUAL,           kTailFields, 2, "vs",     "IfEqual: Invalid number of parameters!")           // 30
KST_COMMAND(IFNOTEQUAL,        kTailFields, 2, "vs",     "IfNotEqual: Invalid number of parameters!")        // 31
KST_COMMAND(IFMSGBOX,          kTailFields, 1, "o",      "IfMsgBox: Invalid number of parameters!")          // 32
KST_COMMAND(HIDEKESTROWIN,     kLineFields, 0, "o",      0)  // 33 hide or restore the tray icon
KST_COMMAND(WINMOVE,           kLineFields, 5, "wxnnee", "WinMove: Invalid number of parameters!")           // 34
KST_COMMAND(WINSETTITLE,       kLineFields, 2, "wxs",    "WinSetTitle: Invalid number of parameters!")       // 35
KST_COMMAND(DETECTHIDDENTEXT,  kLineFields, 0, "o",      0)  // 36 detect hidden text := On/off
KST_COMMAND(WINGETACTIVETITLE, kLineFields, 0, "v",      0)  // 37 store the active window's title
KST_COMMAND(EXIT,              kNoFields,   0, "",       0)  // 38 stop the script
KST_COMMAND(RETURN,            kNoFields,   0, "",       0)  // 39 return from a Gosub
KST_COMMAND(WINMINIMIZEALL,    kNoFields,   0, "",       0)  // 40 minimise all windows
KST_COMMAND(BREAK,             kLineFields, 0, "o",      0)  // 41 break enabled := On/off
KST_COMMAND(SETWINDELAY,       kLineFields, 0, "n",      0)  // 42 window delay := N
KST_COMMAND(WINWAITNOTACTIVE,  kLineFields, 0, "wxn",    0)  // 43 wait until the matching window is not active
KST_COMMAND(SPLASHTEXTON,      kLineFields, 3, "nnss",   "SplashTextOn: Invalid number of parameters!")      // 44
KST_COMMAND(SPLASHTEXTOFF,     kNoFields,   0, "",       0)  // 45 hide the splash window
KST_COMMAND(REPEAT,            kLineFields, 0, "n",      0)  // 46 push a loop start and a count
KST_COMMAND(ENDREPEAT,         kNoFields,   0, "",       0)  // 47 count down and jump back
KST_COMMAND(ADLIBON,           kNoFields,   0, "",       0)  // 48 adlib enabled := 1
KST_COMMAND(ADLIBOFF,          kNoFields,   0, "",       0)  // 49 adlib enabled := 0
KST_COMMAND(ENVADD,            kLineFields, 1, "vn",     "EnvAdd: Invalid number of parameters!")            // 50
KST_COMMAND(ENVSUB,            kLineFields, 1, "vn",     "EnvSub: Invalid number of parameters!")            // 51
KST_COMMAND(LEFTCLICKDRAG,     kLineFields, 3, "nnnn",   "LeftClickDrag: Invalid number of parameters!")     // 52
KST_COMMAND(RIGHTCLICKDRAG,    kLineFields, 3, "nnnn",   "RightClickDrag: Invalid number of parameters!")    // 53
KST_COMMAND(WINSHOW,           kLineFields, 0, "wx",     0)  // 54 show the matching window
KST_COMMAND(INIREAD,           kLineFields, 3, "vpss",   "IniRead: Invalid number of parameters!")           // 55
KST_COMMAND(INIWRITE,          kLineFields, 3, "spss",   "IniWrite: Invalid number of parameters!")          // 56
KST_COMMAND(SHUTDOWN,          kLineFields, 0, "n",      0)  // 57 log off, shut down or restart
KST_COMMAND(WINKILL,           kLineFields, 0, "wx",     0)  // 58 close the window or end its process
KST_COMMAND(MOUSEGETPOS,       kLineFields, 1, "vv",     "MouseGetPos: Invalid number of parameters!")       // 59
KST_COMMAND(MOUSEMOVE,         kLineFields, 1, "nn",     "MouseMove: Invalid number of parameters!")         // 60
KST_COMMAND(REGREAD,           kLineFields, 4, "vorss",  "RegRead: Invalid number of parameters!")           // 61
KST_COMMAND(REGWRITE,          kLineFields, 4, "orsss",  "RegWrite: Invalid number of parameters!")          // 62
KST_COMMAND(INIDELETE,         kLineFields, 2, "pss",    "IniDelete: Invalid number of parameters!")         // 63
KST_COMMAND(REGDELETE,         kLineFields, 2, "rss",    "RegDelete: Invalid number of parameters!")         // 64
KST_COMMAND(BLOCKINPUT,        kLineFields, 0, "o",      0)  // 65 block or unblock user input
KST_COMMAND(FILEREADLINE,      kLineFields, 2, "vpn",    "FileReadLine: Invalid number of parameters!")      // 66
KST_COMMAND(FILEAPPEND,        kLineFields, 1, "sp",     "FileAppendLine: Invalid number of parameters!")    // 67
KST_COMMAND(IFGREATER,         kTailFields, 2, "vn",     "IfGreater: Invalid number of parameters!")         // 68
KST_COMMAND(IFLESS,            kTailFields, 2, "vn",     "IfLess: Invalid number of parameters!")            // 69
KST_COMMAND(IFGREATEROREQUAL,  kTailFields, 2, "vn",     "IfGreaterOrEqual: Invalid number of parameters!")  // 70
KST_COMMAND(IFLESSOREQUAL,     kTailFields, 2, "vn",     "IfLessOrEqual: Invalid number of parameters!")     // 71
