/// Windows, dialogs, controls, window messages, menus, icons, message boxes
/// and the program's string table, as a program run from a shell sees them:
/// the terminal surface (platform/terminal) draws dialogs as a status block on
/// stderr, takes keys from stdin for buttons and menu entries, and prints
/// message boxes. Dialogs are built from the program's dialog templates
/// (resources/dialogs.inc) and answer the operations below as documented for
/// the platform: a window belongs to the thread that created it, a message
/// sent from another thread is handled on that thread by a message loop, a
/// posted message waits in that thread's queue.
#pragma once

#include "win32/base_types.h"

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT, *LPRECT;

typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT, *LPPOINT;

typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;

typedef struct tagINITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
} INITCOMMONCONTROLSEX, *LPINITCOMMONCONTROLSEX;

#define ICC_WIN95_CLASSES 0x000000FF

#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_CONTROL_ID_NOT_FOUND 1421L
#define ERROR_INVALID_MENU_HANDLE 1401L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L

// Window messages.
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_ICONERASEBKGND 0x0027
#define WM_QUERYDRAGICON 0x0037
#define WM_SETICON 0x0080
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_USER 0x0400

// Progress-bar messages.
#define PBM_SETRANGE (WM_USER + 1)
#define PBM_SETPOS (WM_USER + 2)
#define PBM_GETRANGE (WM_USER + 7)
#define PBM_GETPOS (WM_USER + 8)

// Button notifications and messages.
#define BN_CLICKED 0
#define BM_CLICK 0x00F5

// Dialog results and command identifiers.
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3

// Window, dialog and control styles (as the dialog templates give them).
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_EX_APPWINDOW 0x00040000L
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define DS_FIXEDSYS 0x0008L
#define SS_LEFT 0x00000000L
#define SS_ICON 0x00000003L
#define SS_TYPEMASK 0x0000001FL
#define SS_NOPREFIX 0x00000080L
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L

// Window data of a dialog (SetWindowLongPtrA / GetWindowLongPtrA).
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC 8
#define DWLP_USER 16

// Menus.
#define MF_BYCOMMAND 0x00000000L
#define MF_BYPOSITION 0x00000400L
#define MF_STRING 0x00000000L
#define MF_ENABLED 0x00000000L
#define MF_GRAYED 0x00000001L
#define MF_DISABLED 0x00000002L
#define MF_SEPARATOR 0x00000800L
#define SC_CLOSE 0xF060

// Icons and system metrics.
#define ICON_SMALL 0
#define ICON_BIG 1
#define SM_CXICON 11
#define SM_CYICON 12

// Message boxes.
#define MB_OK 0x00000000L
#define MB_ICONERROR 0x00000010L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONINFORMATION 0x00000040L

/// Registers the control classes; the terminal has them all. TRUE.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce);

/// The program's string `uID` copied into `lpBuffer` (at most cchBufferMax - 1
/// characters and a NUL); returns the characters copied, 0 when the table has
/// no such string. hInstance must be the program's module.
int LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);

/// The program's icon resource `lpIconName` (MAKEINTRESOURCEA of its number);
/// null when the program has no such icon.
HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);

/// Creates the dialog of template `lpTemplateName` (MAKEINTRESOURCEA of its
/// number) owned by `hWndParent`, sends WM_INITDIALOG with `dwInitParam`, and
/// runs a message loop until EndDialog; returns EndDialog's result, or -1
/// when the template is unknown or the owner is neither null nor a window.
/// On a terminal, the owner may be any value: an owner outside this process
/// (a number given on the command line) cannot be checked and is kept as given.
INT_PTR DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                        DLGPROC lpDialogFunc, LPARAM dwInitParam);
/// Ends the dialog's message loop with nResult once the current message has
/// been handled; the dialog's windows are then destroyed.
BOOL EndDialog(HWND hDlg, INT_PTR nResult);

/// The control `nIDDlgItem` of a dialog, or null.
HWND GetDlgItem(HWND hDlg, int nIDDlgItem);
/// Sends WM_SETTEXT to a control of a dialog.
BOOL SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString);
/// Sends WM_GETTEXT to a control of a dialog; the characters copied.
UINT GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax);
/// Sends WM_GETTEXT to a window; the characters copied.
int GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount);
/// The window that owns `hWnd` (a dialog's owner), or null.
HWND GetParent(HWND hWnd);
/// The newest open dialog with that caption; the class, when given, must be
/// the dialog class "#32770". Null when there is none.
HWND FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName);

BOOL IsWindow(HWND hWnd);
/// Enables or disables a window; returns TRUE when it was disabled before.
BOOL EnableWindow(HWND hWnd, BOOL bEnable);
BOOL IsWindowEnabled(HWND hWnd);
/// A terminal window is never minimised: FALSE.
BOOL IsIconic(HWND hWnd);

/// Handles the message on the window's thread and returns its result: at once
/// when called on that thread, else after that thread's message loop has
/// handled it (0 when the window goes before that).
LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
/// Queues the message for the window's thread and returns at once.
BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

/// A dialog's window data (DWLP_USER, DWLP_MSGRESULT); returns the value before.
LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex);

/// The window menu of a window with WS_SYSMENU (it starts with its Close
/// entry, SC_CLOSE), or null. bRevert must be FALSE.
HMENU GetSystemMenu(HWND hWnd, BOOL bRevert);
/// Appends an entry (MF_STRING with an identifier and a text, or MF_SEPARATOR).
BOOL AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem);
/// Changes the entry `uPosition` (MF_BYCOMMAND: by identifier) to the new
/// flags, identifier and text (a null text keeps the old one).
BOOL ModifyMenuA(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem);
int GetMenuItemCount(HMENU hMenu);
/// The identifier of the entry at `nPos` (0 for a separator), or (UINT)-1.
UINT GetMenuItemID(HMENU hMenu, int nPos);
/// The flags of an entry (MF_DISABLED, MF_GRAYED, MF_SEPARATOR), or (UINT)-1.
UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags);
int GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags);

/// Painting: a terminal has no pixels. BeginPaint gives a device context that
/// DrawIcon accepts and draws nothing on; the client rectangle is the
/// dialog's size in dialog units; icons measure 32 by 32.
HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint);
BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);
BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon);
BOOL GetClientRect(HWND hWnd, LPRECT lpRect);
int GetSystemMetrics(int nIndex);

/// Prints the text on stderr, its first line after "caption: " when a caption
/// is given. Returns IDOK.
int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
