// Resource ids shared by the resource script and the runner's code.
#ifndef KESTRO_RESOURCES_RESOURCE_H
#define KESTRO_RESOURCES_RESOURCE_H

#define IDI_MAIN 101        /* the main icon: window classes and the tray */
#define IDD_INPUT 103       /* the InputBox dialog */
#define IDI_SECOND 106      /* a second icon group, never loaded */
#define IDR_FINDICON 108    /* marks the main icon for the packing tool */
#define IDM_TRAY 109        /* the tray icon's menu */

#define IDC_INPUT_EDIT 1000    /* InputBox: the entry field */
#define IDC_INPUT_PROMPT 1001  /* InputBox: the prompt */
#define IDC_INPUT_OK 1002      /* InputBox: the only button */

#define IDM_TRAY_PAUSE 40001
#define IDM_TRAY_EXIT 40002

#endif
