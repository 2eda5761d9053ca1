#pragma once
// The part both dialogs share: a detector of their own, and every small piece
// of user-visible text they build, each through the translation catalogue.
// AddListLine is the one way a line reaches a list box, and it logs the line.
#include <windows.h>

#include <string>

#include "FarlinkUI.h"
#include "shared/Farlink/RemoteComponentDetector.h"

namespace dialogs {

class RemoteDialogBase {
public:
    // Constructs the detector, which probes the session.
    RemoteDialogBase();
    virtual ~RemoteDialogBase() = default;
    RemoteDialogBase(const RemoteDialogBase&) = delete;
    RemoteDialogBase& operator=(const RemoteDialogBase&) = delete;

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

    // The channel-list line, CR LF included, for the component the detector's
    // MoveNext has just recorded, and whether that channel works. False, and
    // no line, when its client is not installed; -1 answers count as fine.
    bool BuildChannelLine(std::wstring& line, bool& working);

protected:
    sharedfarlink::RemoteComponentDetector detector;
    // Taken once, right after the detector probed; every query and repair uses it.
    const bool remoteSession;
};

// The elapsed-time text for a difference of `seconds` (now minus then): only
// the largest whole unit, truncated; the future and 0 read as "1 second".
std::wstring TimeAgoText(long long seconds);

}  // namespace dialogs
