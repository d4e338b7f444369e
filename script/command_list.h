// The command table: the 73 commands in their fixed order, each with the shape
// of its parameters. Include this file after defining KST_COMMAND.
//
// KST_COMMAND(KEYWORD, SPELLING, FORM, REQUIRED, KINDS, MESSAGE)
//   KEYWORD   the upper-case keyword; its position is the command's index,
//             which the wait states and the dispatcher use.
//   SPELLING  the keyword as scripts and the docs write it, for messages
//             that name a command (the runner matches any letter case).
//   FORM      kNoFields: reads nothing;
//             kLineFields: the fields are split at commas and the last one
//               takes the rest of the line, commas included;
//             kTailFields: a condition; every field ends at a comma and the
//               rest of the line runs as a command of its own when it holds.
//   REQUIRED  how many leading fields must end at a comma.
//   KINDS     what each field holds, one name per field (below); the names
//             join into one letter per field, the FieldKind letters of
//             script/commands.h, so "" is a command without fields.
//   MESSAGE   the error when a required comma is missing; 0 when the command
//             then silently does nothing instead.
//
// Wording kept as the runner always had it: "FileAppendLine:" names FileAppend,
// and IfExist/IfNotExist end without "!".

// The field kinds; each is its FieldKind letter, and they exist only while
// the table is read.
#define NUMBER "n"    // kFieldNumber: an integer (delay, timeout, count, coordinate, flags)
#define EXTENT "e"    // kFieldExtent: a size in pixels or "default"
#define TITLE "w"     // kFieldTitle: a window title pattern
#define WINTEXT "x"   // kFieldWindowText: a window text pattern
#define LABEL "l"     // kFieldLabel: a label of the main section
#define KEYS "k"      // kFieldKeys: text in the Send key language
#define PATH "p"      // kFieldPath: a file or folder path
#define PROGRAM "c"   // kFieldProgram: a program's command line
#define VARIABLE "v"  // kFieldVariable: a variable name
#define OPTION "o"    // kFieldWord: an option word (On, hide, REG_DWORD, a button name)
#define REGROOT "r"   // kFieldRegistryRoot: a registry root key name
#define ANYTEXT "s"   // kFieldText: any text

KST_COMMAND(EXESCRIPT,         "ExeScript",         kNoFields,   0, "",                            0)  //  0 recognised, does nothing
KST_COMMAND(WINWAIT,           "WinWait",           kLineFields, 0, TITLE WINTEXT NUMBER,          0)  //  1 wait until a matching window exists
KST_COMMAND(WINWAITACTIVE,     "WinWaitActive",     kLineFields, 0, TITLE WINTEXT NUMBER,          0)  //  2 wait until a matching window is active
KST_COMMAND(WINWAITCLOSE,      "WinWaitClose",      kLineFields, 0, TITLE WINTEXT NUMBER,          0)  //  3 wait until no matching window exists
KST_COMMAND(QUIT,              "Quit",              kNoFields,   0, "",                            0)  //  4 recognised, does nothing (its index is the stopping state)
KST_COMMAND(WINACTIVATE,       "WinActivate",       kLineFields, 0, TITLE WINTEXT,                 0)  //  5 activate the matching window
KST_COMMAND(RUNWAIT,           "RunWait",           kLineFields, 0, PROGRAM PATH OPTION,           0)  //  6 run a program and wait for it to end
KST_COMMAND(WINMINIMIZE,       "WinMinimize",       kLineFields, 0, TITLE WINTEXT,                 0)  //  7 minimise the matching window
KST_COMMAND(WINRESTORE,        "WinRestore",        kLineFields, 0, TITLE WINTEXT,                 0)  //  8 restore the matching window
KST_COMMAND(WINHIDE,           "WinHide",           kLineFields, 0, TITLE WINTEXT,                 0)  //  9 hide the matching window
KST_COMMAND(WINMAXIMIZE,       "WinMaximize",       kLineFields, 0, TITLE WINTEXT,                 0)  // 10 maximise the matching window
KST_COMMAND(WINCLOSE,          "WinClose",          kLineFields, 0, TITLE WINTEXT,                 0)  // 11 ask the matching window to close
KST_COMMAND(RUN,               "Run",               kLineFields, 0, PROGRAM PATH OPTION,           0)  // 12 run a program
KST_COMMAND(SETKEYDELAY,       "SetKeyDelay",       kLineFields, 0, NUMBER,                        0)  // 13 key delay := N
KST_COMMAND(SLEEP,             "Sleep",             kLineFields, 0, NUMBER,                        0)  // 14 step delay += N
KST_COMMAND(LEFTCLICK,         "LeftClick",         kLineFields, 1, NUMBER NUMBER,                 0)  // 15 click the left mouse button
KST_COMMAND(RIGHTCLICK,        "RightClick",        kLineFields, 1, NUMBER NUMBER,                 0)  // 16 click the right mouse button
KST_COMMAND(SEND,              "Send",              kLineFields, 0, KEYS,                          0)  // 17 type keystrokes
KST_COMMAND(IFWINEXIST,        "IfWinExist",        kTailFields, 2, TITLE WINTEXT,
            "IfWinExist: Invalid number of parameters!")  // 18
KST_COMMAND(IFWINNOTEXIST,     "IfWinNotExist",     kTailFields, 2, TITLE WINTEXT,
            "IfWinNotExist: Invalid number of parameters!")  // 19
KST_COMMAND(IFWINACTIVE,       "IfWinActive",       kTailFields, 2, TITLE WINTEXT,
            "IfWinActive: Invalid number of parameters!")  // 20
KST_COMMAND(IFWINNOTACTIVE,    "IfWinNotActive",    kTailFields, 2, TITLE WINTEXT,
            "IfWinNotActive: Invalid number of parameters!")  // 21
KST_COMMAND(GOTO,              "Goto",              kLineFields, 0, LABEL,                         0)  // 22 jump to a label
KST_COMMAND(GOSUB,             "Gosub",             kLineFields, 0, LABEL,                         0)  // 23 push a return point, jump to a label
KST_COMMAND(SETTITLEMATCHMODE, "SetTitleMatchMode", kLineFields, 0, NUMBER,                        0)  // 24 title match mode := N
KST_COMMAND(SETENV,            "SetEnv",            kLineFields, 1, VARIABLE ANYTEXT,              0)  // 25 set a variable
KST_COMMAND(IFEXIST,           "IfExist",           kTailFields, 1, PATH,
            "IfExist: Invalid number of parameters")  // 26
KST_COMMAND(IFNOTEXIST,        "IfNotExist",        kTailFields, 1, PATH,
            "IfNotExist: Invalid number of parameters")  // 27
KST_COMMAND(MSGBOX,            "MsgBox",            kLineFields, 2, NUMBER ANYTEXT ANYTEXT,
            "MsgBox: Invalid number of parameters!")  // 28
KST_COMMAND(INPUTBOX,          "InputBox",          kLineFields, 2, VARIABLE ANYTEXT ANYTEXT OPTION,
            "InputBox: Invalid number of parameters!")  // 29
KST_COMMAND(IFEQUAL,           "IfEqual",           kTailFields, 2, VARIABLE ANYTEXT,
            "IfEqual: Invalid number of parameters!")  // 30
KST_COMMAND(IFNOTEQUAL,        "IfNotEqual",        kTailFields, 2, VARIABLE ANYTEXT,
            "IfNotEqual: Invalid number of parameters!")  // 31
KST_COMMAND(IFMSGBOX,          "IfMsgBox",          kTailFields, 1, OPTION,
            "IfMsgBox: Invalid number of parameters!")  // 32
KST_COMMAND(HIDEKESTROWIN,     "HideKestroWin",     kLineFields, 0, OPTION,                        0)  // 33 hide or restore the tray icon
KST_COMMAND(WINMOVE,           "WinMove",           kLineFields, 5, TITLE WINTEXT NUMBER NUMBER EXTENT EXTENT,
            "WinMove: Invalid number of parameters!")  // 34
KST_COMMAND(WINSETTITLE,       "WinSetTitle",       kLineFields, 2, TITLE WINTEXT ANYTEXT,
            "WinSetTitle: Invalid number of parameters!")  // 35
KST_COMMAND(DETECTHIDDENTEXT,  "DetectHiddenText",  kLineFields, 0, OPTION,                        0)  // 36 detect hidden text := On/off
KST_COMMAND(WINGETACTIVETITLE, "WinGetActiveTitle", kLineFields, 0, VARIABLE,                      0)  // 37 store the active window's title
KST_COMMAND(EXIT,              "Exit",              kNoFields,   0, "",                            0)  // 38 stop the script
KST_COMMAND(RETURN,            "Return",            kNoFields,   0, "",                            0)  // 39 return from a Gosub
KST_COMMAND(WINMINIMIZEALL,    "WinMinimizeAll",    kNoFields,   0, "",                            0)  // 40 minimise all windows
KST_COMMAND(BREAK,             "Break",             kLineFields, 0, OPTION,                        0)  // 41 break enabled := On/off
KST_COMMAND(SETWINDELAY,       "SetWinDelay",       kLineFields, 0, NUMBER,                        0)  // 42 window delay := N
KST_COMMAND(WINWAITNOTACTIVE,  "WinWaitNotActive",  kLineFields, 0, TITLE WINTEXT NUMBER,          0)  // 43 wait until the matching window is not active
KST_COMMAND(SPLASHTEXTON,      "SplashTextOn",      kLineFields, 3, NUMBER NUMBER ANYTEXT ANYTEXT,
            "SplashTextOn: Invalid number of parameters!")  // 44
KST_COMMAND(SPLASHTEXTOFF,     "SplashTextOff",     kNoFields,   0, "",                            0)  // 45 hide the splash window
KST_COMMAND(REPEAT,            "Repeat",            kLineFields, 0, NUMBER,                        0)  // 46 push a loop start and a count
KST_COMMAND(ENDREPEAT,         "EndRepeat",         kNoFields,   0, "",                            0)  // 47 count down and jump back
KST_COMMAND(ADLIBON,           "AdlibOn",           kNoFields,   0, "",                            0)  // 48 adlib enabled := 1
KST_COMMAND(ADLIBOFF,          "AdlibOff",          kNoFields,   0, "",                            0)  // 49 adlib enabled := 0
KST_COMMAND(ENVADD,            "EnvAdd",            kLineFields, 1, VARIABLE NUMBER,
            "EnvAdd: Invalid number of parameters!")  // 50
KST_COMMAND(ENVSUB,            "EnvSub",            kLineFields, 1, VARIABLE NUMBER,
            "EnvSub: Invalid number of parameters!")  // 51
KST_COMMAND(LEFTCLICKDRAG,     "LeftClickDrag",     kLineFields, 3, NUMBER NUMBER NUMBER NUMBER,
            "LeftClickDrag: Invalid number of parameters!")  // 52
KST_COMMAND(RIGHTCLICKDRAG,    "RightClickDrag",    kLineFields, 3, NUMBER NUMBER NUMBER NUMBER,
            "RightClickDrag: Invalid number of parameters!")  // 53
KST_COMMAND(WINSHOW,           "WinShow",           kLineFields, 0, TITLE WINTEXT,                 0)  // 54 show the matching window
KST_COMMAND(INIREAD,           "IniRead",           kLineFields, 3, VARIABLE PATH ANYTEXT ANYTEXT,
            "IniRead: Invalid number of parameters!")  // 55
KST_COMMAND(INIWRITE,          "IniWrite",          kLineFields, 3, ANYTEXT PATH ANYTEXT ANYTEXT,
            "IniWrite: Invalid number of parameters!")  // 56
KST_COMMAND(SHUTDOWN,          "Shutdown",          kLineFields, 0, NUMBER,                        0)  // 57 log off, shut down or restart
KST_COMMAND(WINKILL,           "WinKill",           kLineFields, 0, TITLE WINTEXT,                 0)  // 58 close the window or end its process
KST_COMMAND(MOUSEGETPOS,       "MouseGetPos",       kLineFields, 1, VARIABLE VARIABLE,
            "MouseGetPos: Invalid number of parameters!")  // 59
KST_COMMAND(MOUSEMOVE,         "MouseMove",         kLineFields, 1, NUMBER NUMBER,
            "MouseMove: Invalid number of parameters!")  // 60
KST_COMMAND(REGREAD,           "RegRead",           kLineFields, 4, VARIABLE OPTION REGROOT ANYTEXT ANYTEXT,
            "RegRead: Invalid number of parameters!")  // 61
KST_COMMAND(REGWRITE,          "RegWrite",          kLineFields, 4, OPTION REGROOT ANYTEXT ANYTEXT ANYTEXT,
            "RegWrite: Invalid number of parameters!")  // 62
KST_COMMAND(INIDELETE,         "IniDelete",         kLineFields, 2, PATH ANYTEXT ANYTEXT,
            "IniDelete: Invalid number of parameters!")  // 63
KST_COMMAND(REGDELETE,         "RegDelete",         kLineFields, 2, REGROOT ANYTEXT ANYTEXT,
            "RegDelete: Invalid number of parameters!")  // 64
KST_COMMAND(BLOCKINPUT,        "BlockInput",        kLineFields, 0, OPTION,                        0)  // 65 block or unblock user input
KST_COMMAND(FILEREADLINE,      "FileReadLine",      kLineFields, 2, VARIABLE PATH NUMBER,
            "FileReadLine: Invalid number of parameters!")  // 66
KST_COMMAND(FILEAPPEND,        "FileAppend",        kLineFields, 1, ANYTEXT PATH,
            "FileAppendLine: Invalid number of parameters!")  // 67
KST_COMMAND(IFGREATER,         "IfGreater",         kTailFields, 2, VARIABLE NUMBER,
            "IfGreater: Invalid number of parameters!")  // 68
KST_COMMAND(IFLESS,            "IfLess",            kTailFields, 2, VARIABLE NUMBER,
            "IfLess: Invalid number of parameters!")  // 69
KST_COMMAND(IFGREATEROREQUAL,  "IfGreaterOrEqual",  kTailFields, 2, VARIABLE NUMBER,
            "IfGreaterOrEqual: Invalid number of parameters!")  // 70
KST_COMMAND(IFLESSOREQUAL,     "IfLessOrEqual",     kTailFields, 2, VARIABLE NUMBER,
            "IfLessOrEqual: Invalid number of parameters!")  // 71
KST_COMMAND(DETECTACCESSIBLETEXT, "DetectAccessibleText", kLineFields, 0, OPTION,                 0)  // 72 detect accessible text := On/off

#undef NUMBER
#undef EXTENT
#undef TITLE
#undef WINTEXT
#undef LABEL
#undef KEYS
#undef PATH
#undef PROGRAM
#undef VARIABLE
#undef OPTION
#undef REGROOT
#undef ANYTEXT
