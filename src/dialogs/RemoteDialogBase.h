#pragma once
// The part both dialogs share: a detector of their own, the message handling
// (opening, button clicks, Cancel, the description line), and every small
// piece of user-visible text they build, each through the translation
// catalogue (the channel texts are the channel report's). AddListLine is the
// one way a line reaches a list box, and it logs the line through the
// services the dialog was given.
#include <windows.h>

#include <string>

#include "FarlinkUI.h"
#include "dialogs/DialogServices.h"
#include "dialogs/ModalDialog.h"
#include "detection/RemoteComponentDetector.h"

namespace dialogs {

class RemoteDialogBase : public ModalDialog {
public:
    // Constructs the detector, which probes the session. Listed lines go to
    // the log of `services` when given.
    explicit RemoteDialogBase(DialogServices* services = nullptr);
    ~RemoteDialogBase() override = default;

    virtual void GetChannelStatusText(bool working, std::wstring& text);
    virtual void GetAuthorizationText(VARIANT_BOOL enabled, std::wstring& text);
    virtual void GetChannelName(int type, std::wstring& text);
    // False (and empty text) when the load state was not looked for.
    virtual bool GetDriverLoadText(sharedfarlink::TriState loaded, std::wstring& text);
    // False (and empty text) for OCS_DontKnow and anything unknown.
    virtual bool GetConnectionStatusText(OverallConnectionStatus status, std::wstring& text);
    // False (and empty text) for 0, which means "never".
    virtual bool GetTimeAgoText(long long time, std::wstring& text);
    virtual void GetTestTimeText(bool started, std::wstring& text);
    // False (and empty text) for -1: a repair that found nothing to do says nothing.
    virtual bool GetRepairResultText(sharedfarlink::TriState result, std::wstring& text);
    // The description line follows the control with the keyboard focus.
    virtual void UpdateFocusDescription(HWND dialog);
    virtual void AddListLine(HWND dialog, int controlId, std::wstring line);

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // WM_INITDIALOG: what the dialog procedure answers.
    virtual BOOL OnInitDialog() { return TRUE; }
    // A click on button `id` other than Cancel; false when it is not ours.
    virtual bool OnButton(int id);
    // Cancel (the Close button or Escape) ends the dialog.
    virtual void OnClose();

    sharedfarlink::RemoteComponentDetector detector;
    // Taken once, right after the detector probed; every query and repair uses it.
    const bool remoteSession;

private:
    DialogServices* const lineLog_;
};

// The elapsed-time text for a difference of `seconds` (now minus then): only
// the largest whole unit, truncated; the future and 0 read as "1 second".
std::wstring TimeAgoText(long long seconds);

}  // namespace dialogs
