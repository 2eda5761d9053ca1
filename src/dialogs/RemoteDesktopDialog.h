#pragma once
// The Remote Desktop dialog: whether the client reports remote access as
// authorised, which of the maker's channels apply here and whether they work,
// Repair, and the way into the Connection Status dialog.
#include <windows.h>

#include "dialogs/DialogServices.h"
#include "dialogs/RemoteDialogBase.h"

namespace dialogs {

class RemoteDesktopDialog : public RemoteDialogBase {
public:
    explicit RemoteDesktopDialog(DialogServices& services);
    ~RemoteDesktopDialog() override = default;

    // The client's window the dialog opens over; set before it runs.
    void SetParentWindow(HWND parent) { parentWindow = parent; }
    // Runs the dialog modally over the parent window.
    INT_PTR Run();

    // Places the dialog over `window` and raises it. Safe from any thread that
    // holds no lock the dialog thread may wait for: the calls wait for the
    // dialog thread to process them. Leaves the dialog where it is when
    // `window`'s rectangle cannot be read, and does nothing once it is closed.
    void MoveOverWindow(HWND window) { MoveDialogOver(Window(), window); }
    // The same by window handle, for a caller that must not touch the object:
    // the dialog may close and its object go while the call is under way.
    static void MoveDialogOver(HWND dialog, HWND window);

protected:
    BOOL OnInitDialog() override;
    bool OnButton(int id) override;
    virtual void OnRepair();
    virtual void OnTestConnection();

    void FillChannelList();
    void UpdateAuthorization();

private:
    DialogServices& services;
    HWND parentWindow = nullptr;
};

}  // namespace dialogs
