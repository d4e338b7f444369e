// The command table: the 72 keywords in their fixed order. Each entry is
// KST_COMMAND(KEYWORD); the position is the command's index, which the wait
// states and the dispatcher use. Include this file after defining KST_COMMAND.
KST_COMMAND(EXESCRIPT)          //  0 recognised, does nothing
KST_COMMAND(WINWAIT)            //  1 wait until a matching window exists
KST_COMMAND(WINWAITACTIVE)      //  2 wait until a matching window is active
KST_COMMAND(WINWAITCLOSE)       //  3 wait until no matching window exists
KST_COMMAND(QUIT)               //  4 recognised, does nothing (its index is the stopping state)
KST_COMMAND(WINACTIVATE)        //  5 activate the matching window
KST_COMMAND(RUNWAIT)            //  6 run a program and wait for it to end
KST_COMMAND(WINMINIMIZE)        //  7 minimise the matching window
KST_COMMAND(WINRESTORE)         //  8 restore the matching window
KST_COMMAND(WINHIDE)            //  9 hide the matching window
KST_COMMAND(WINMAXIMIZE)        // 10 maximise the matching window
KST_COMMAND(WINCLOSE)           // 11 ask the matching window to close
KST_COMMAND(RUN)                // 12 run a program
KST_COMMAND(SETKEYDELAY)        // 13 key delay := N
KST_COMMAND(SLEEP)              // 14 step delay += N
KST_COMMAND(LEFTCLICK)          // 15 click the left mouse button
KST_COMMAND(RIGHTCLICK)         // 16 click the right mouse button
KST_COMMAND(SEND)               // 17 type keystrokes
KST_COMMAND(IFWINEXIST)         // 18 condition: a matching window exists
KST_COMMAND(IFWINNOTEXIST)      // 19 condition: no matching window exists
KST_COMMAND(IFWINACTIVE)        // 20 condition: the matching window is active
KST_COMMAND(IFWINNOTACTIVE)     // 21 condition: the matching window is not active
KST_COMMAND(GOTO)               // 22 jump to a label
KST_COMMAND(GOSUB)              // 23 push a return point, jump to a label
KST_COMMAND(SETTITLEMATCHMODE)  // 24 title match mode := N
KST_COMMAND(SETENV)             // 25 set a variable
KST_COMMAND(IFEXIST)            // 26 condition: a file or directory matches
KST_COMMAND(IFNOTEXIST)         // 27 condition: nothing matches the path
KST_COMMAND(MSGBOX)             // 28 show a message box
KST_COMMAND(INPUTBOX)           // 29 ask the user for a text
KST_COMMAND(IFEQUAL)            // 30 condition: a variable equals a text
KST_COMMAND(IFNOTEQUAL)         // 31 condition: a variable differs from a text
KST_COMMAND(IFMSGBOX)           // 32 condition: the last message box result
KST_COMMAND(HIDEKESTROWIN)      // 33 hide or restore the tray icon
KST_COMMAND(WINMOVE)            // 34 move and size the matching window
KST_COMMAND(WINSETTITLE)        // 35 retitle the matching window
KST_COMMAND(DETECTHIDDENTEXT)   // 36 detect hidden text := On/off
KST_COMMAND(WINGETACTIVETITLE)  // 37 store the active window's title
KST_COMMAND(EXIT)               // 38 stop the script
KST_COMMAND(RETURN)             // 39 return from a Gosub
KST_COMMAND(WINMINIMIZEALL)     // 40 minimise all windows
KST_COMMAND(BREAK)              // 41 break enabled := On/off
KST_COMMAND(SETWINDELAY)        // 42 window delay := N
KST_COMMAND(WINWAITNOTACTIVE)   // 43 wait until the matching window is not active
KST_COMMAND(SPLASHTEXTON)       // 44 show the splash window
KST_COMMAND(SPLASHTEXTOFF)      // 45 hide the splash window
KST_COMMAND(REPEAT)             // 46 push a loop start and a count
KST_COMMAND(ENDREPEAT)          // 47 count down and jump back
KST_COMMAND(ADLIBON)            // 48 adlib enabled := 1
KST_COMMAND(ADLIBOFF)           // 49 adlib enabled := 0
KST_COMMAND(ENVADD)             // 50 add a number to a variable
KST_COMMAND(ENVSUB)             // 51 subtract a number from a variable
KST_COMMAND(LEFTCLICKDRAG)      // 52 drag with the left button
KST_COMMAND(RIGHTCLICKDRAG)     // 53 drag with the right button
KST_COMMAND(WINSHOW)            // 54 show the matching window
KST_COMMAND(INIREAD)            // 55 read an INI value
KST_COMMAND(INIWRITE)           // 56 write an INI value
KST_COMMAND(SHUTDOWN)           // 57 log off, shut down or restart
KST_COMMAND(WINKILL)            // 58 close the window or end its process
KST_COMMAND(MOUSEGETPOS)        // 59 store the mouse position
KST_COMMAND(MOUSEMOVE)          // 60 move the mouse pointer
KST_COMMAND(REGREAD)            // 61 read a registry value
KST_COMMAND(REGWRITE)           // 62 write a registry value
KST_COMMAND(INIDELETE)          // 63 delete an INI key
KST_COMMAND(REGDELETE)          // 64 delete a registry value
KST_COMMAND(BLOCKINPUT)         // 65 block or unblock user input
KST_COMMAND(FILEREADLINE)       // 66 read a numbered line of a text file
KST_COMMAND(FILEAPPEND)         // 67 append a text to a file
KST_COMMAND(IFGREATER)          // 68 condition: variable > number
KST_COMMAND(IFLESS)             // 69 condition: variable < number
KST_COMMAND(IFGREATEROREQUAL)   // 70 condition: variable >= number
KST_COMMAND(IFLESSOREQUAL)      // 71 condition: variable <= number
