/* Plain C types and constants of the window layer, shared by every public
 * header of the suite that names a window, a message or a message box. */
#ifndef KESTREL_WINLAYER_WINTYPES_H
#define KESTREL_WINLAYER_WINTYPES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct HWND__* HWND;       /* a window: opaque, pointer-sized */
typedef struct HCURSOR__* HCURSOR; /* a mouse cursor shape */
typedef unsigned int UINT;
typedef int BOOL;
typedef uint32_t DWORD;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

/* Message box buttons (low nibble), icons and default button. */
#define MB_OK 0x0000u
#define MB_OKCANCEL 0x0001u
#define MB_ABORTRETRYIGNORE 0x0002u
#define MB_YESNOCANCEL 0x0003u
#define MB_YESNO 0x0004u
#define MB_RETRYCANCEL 0x0005u
#define MB_TYPEMASK 0x000Fu
#define MB_ICONERROR 0x0010u
#define MB_ICONHAND MB_ICONERROR
#define MB_ICONSTOP MB_ICONERROR
#define MB_ICONQUESTION 0x0020u
#define MB_ICONWARNING 0x0030u
#define MB_ICONEXCLAMATION MB_ICONWARNING
#define MB_ICONINFORMATION 0x0040u
#define MB_ICONASTERISK MB_ICONINFORMATION
#define MB_ICONMASK 0x00F0u
#define MB_DEFBUTTON1 0x0000u
#define MB_DEFBUTTON2 0x0100u
#define MB_DEFBUTTON3 0x0200u
#define MB_DEFMASK 0x0F00u
#define MB_APPLMODAL 0x0000u
#define MB_SYSTEMMODAL 0x1000u
#define MB_TASKMODAL 0x2000u

/* Message box answers. */
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

/* Cursor shapes for LoadCursor(NULL, id). */
#define IDC_ARROW ((const char*)32512)
#define IDC_WAIT ((const char*)32514)

#ifdef __cplusplus
}
#endif

#endif
