// The main logbook program's window, as the suite's programs and libraries
// meet it: its class, by which they find it, and the messages that pass
// between it and them (WPARAM and LPARAM as each line says).
#ifndef KESTREL_SCHEMA_MAINWINDOW_H
#define KESTREL_SCHEMA_MAINWINDOW_H

#define KESTREL_MAIN_CLASS "Kestrel4WClass"

/* To the main window. */
#define KM_COUNTRY_EDITOR_DONE 1096 /* the country or IOTA editor ended, or lacks its database */
#define KM_PICK_CONTACT 1097        /* posted: LPARAM is the picked contact's database address */
#define KM_TAG_SETTINGS 1101 /* sent before tagging; answer: date format (low half), UTC offset (high) */
#define KM_QSL_EDITOR_DONE 1105 /* the QSL manager editor ended, or lacks its database */

/* From the main window. */
#define KM_BROWSER_REDRAW 1098 /* WPARAM: redraw on (1) or off (0) */
#define KM_BROWSER_EMPTY 1099  /* empty the list */
#define KM_BROWSER_LAST 1100   /* show the last line */
#define KM_DETAIL_COLOURS 1106 /* the display colours changed */

#endif
