#pragma once
// Reads and drives the server's dialogs from outside, as a user would see and
// press them: the dialogs live in the server process, so everything here goes
// through window messages that Windows carries across processes.
#include <windows.h>

#include <string>

namespace farlinkdrive {

enum class DialogKind { RemoteDesktop, ConnectionStatus };

// "desktop" or "status"; false for anything else.
bool ParseDialogKind(const std::wstring& text, DialogKind* kind);

// The visible dialog of that kind, or null.
HWND FindDialog(DialogKind kind);
// Polls until the dialog is visible (a dialog can exist before it shows).
HWND WaitForDialog(DialogKind kind, DWORD ms);
bool WaitForDialogGone(DialogKind kind, DWORD ms);
// How many dialogs of that kind exist, visible or not.
int CountDialogs(DialogKind kind);

// Prints every text the dialog shows: the authorization value, each list line
// (CR and LF written as \r and \n), the Repair button's state, the description
// line and the window's position.
void PrintDialog(HWND dialog, DialogKind kind);

// Presses a button by name: repair, test, close (Remote Desktop), refresh,
// close (Connection Status). Posted, so a handler that opens a message box or
// a dialog does not hold us up.
bool ClickButton(HWND dialog, DialogKind kind, const std::wstring& button);
// Presses a button and returns once its handler has: the click is sent, and a
// sent message is answered only when the dialog thread has handled it.
bool PressButton(HWND dialog, DialogKind kind, const std::wstring& button);
// Moves the keyboard focus to a named control ("list" or a button name).
bool FocusControl(HWND dialog, DialogKind kind, const std::wstring& control);

// Waits for the message box the Remote Desktop dialog opens, prints its text
// and presses OK; false when none came.
bool AnswerMessageBox(DWORD ms);

}  // namespace farlinkdrive
