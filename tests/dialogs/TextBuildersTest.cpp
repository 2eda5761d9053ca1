// The texts both dialogs build, untranslated (no language is selected in
// this process, so every lookup falls back to its message id), and the way a
// line reaches a list box and the log.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/TestPaths.h"
#include "dialogs/RemoteDialogBase.h"
#include "dialogs/TextFormat.h"
#include "resources/resource.h"
#include "shared/SeededRegistry.h"
#include "support/DiagnosticLog.h"

namespace {

using dialogs::FormatText;
using dialogs::TimeAgoText;

// The detector of a dialog probes the session; the seeded cache answers it.
class TextBuilders : public ::testing::Test {
protected:
    detection_tests::SeededRegistry registry_;
    dialogs::RemoteDialogBase base_;
};

TEST(TimeAgo, ShowsTheLargestWholeUnitOnly) {
    const long long minute = 60, hour = 3600, day = 86400;
    const struct {
        long long seconds;
        const wchar_t* text;
    } rows[] = {
        {0, L"1 second"},           {1, L"1 second"},
        {2, L"2 seconds"},          {59, L"59 seconds"},
        {minute, L"1 minute"},      {2 * minute - 1, L"1 minute"},
        {2 * minute, L"2 minutes"}, {hour - 1, L"59 minutes"},
        {hour, L"1 hour"},          {2 * hour - 1, L"1 hour"},
        {day - 1, L"23 hours"},     {day, L"1 day"},
        {2 * day - 1, L"1 day"},    {2 * day, L"2 days"},
        {47 * hour + 59 * minute, L"1 day"},
        {-5, L"1 second"},          {-3 * day, L"1 second"},
    };
    for (const auto& row : rows) EXPECT_EQ(TimeAgoText(row.seconds), row.text) << row.seconds;
}

TEST_F(TextBuilders, TimeZeroMeansNeverAndGivesNoText) {
    std::wstring text = L"stale";
    EXPECT_FALSE(base_.GetTimeAgoText(0, text));
    EXPECT_EQ(text, L"");
    // Far in the past: the unit is days, whatever second the test runs in.
    EXPECT_TRUE(base_.GetTimeAgoText(1000000000, text));
    EXPECT_NE(text.find(L" days"), std::wstring::npos) << text;
}

TEST_F(TextBuilders, AuthorizationIsEnabledOnlyForAllBitsSet) {
    const struct {
        VARIANT_BOOL value;
        const wchar_t* text;
    } rows[] = {{VARIANT_TRUE, L"Enabled"}, {VARIANT_FALSE, L"Disabled"}, {1, L"Disabled"},
                {-2, L"Disabled"},          {0x7FFF, L"Disabled"}};
    for (const auto& row : rows) {
        std::wstring text;
        base_.GetAuthorizationText(row.value, text);
        EXPECT_EQ(text, row.text) << row.value;
    }
}

TEST_F(TextBuilders, ChannelNamesByType) {
    const struct {
        int type;
        const wchar_t* text;
    } rows[] = {{1, L"Citrix channel"}, {2, L"RDP channel"}, {3, L"Horizon channel"},
                {4, L"RDP channel"},    {5, L"AWS channel"}, {6, L"Azure channel"},
                {0, L""},  {-1, L""},   {7, L""},           {100, L""}, {-100, L""}};
    for (const auto& row : rows) {
        std::wstring text = L"stale";
        base_.GetChannelName(row.type, text);
        EXPECT_EQ(text, row.text) << row.type;
    }
}

TEST_F(TextBuilders, DriverLoadAndConnectionStatusLeaveOutWhatIsUnknown) {
    const struct {
        int value;
        bool known;
        const wchar_t* text;
    } driver[] = {{1, true, L"loaded"}, {0, true, L"not loaded"}, {-1, false, L""}, {2, false, L""}},
      connection[] = {{2, true, L"connected"}, {1, true, L"not connected"}, {0, false, L""},
                      {3, false, L""}, {-1, false, L""}};
    for (const auto& row : driver) {
        std::wstring text = L"stale";
        EXPECT_EQ(base_.GetDriverLoadText(row.value, text), row.known) << row.value;
        EXPECT_EQ(text, row.text) << row.value;
    }
    for (const auto& row : connection) {
        std::wstring text = L"stale";
        EXPECT_EQ(base_.GetConnectionStatusText(static_cast<OverallConnectionStatus>(row.value), text),
                  row.known)
            << row.value;
        EXPECT_EQ(text, row.text) << row.value;
    }
}

TEST_F(TextBuilders, ChannelStatusAndTestTimeStamps) {
    std::wstring text;
    base_.GetChannelStatusText(true, text);
    EXPECT_EQ(text, L"working");
    base_.GetChannelStatusText(false, text);
    EXPECT_EQ(text, L"not working");
    base_.GetTestTimeText(true, text);
    EXPECT_EQ(text.rfind(L"Test started: ", 0), 0u) << text;
    EXPECT_GT(text.size(), wcslen(L"Test started: ")) << "no time after the label";
    base_.GetTestTimeText(false, text);
    EXPECT_EQ(text.rfind(L"Test completed: ", 0), 0u) << text;
}

TEST(TextFormat, FormatsFromACatalogueCannotReadPastTheirArguments) {
    EXPECT_EQ(FormatText(L"%s - %s, %s", {L"RDP channel", L"loaded", L"connected"}),
              L"RDP channel - loaded, connected");
    EXPECT_EQ(FormatText(L"- last error %u (%x)", {2147500037ul, 2147500037ul}),
              L"- last error 2147500037 (80004005)");
    EXPECT_EQ(FormatText(L"%s %s\r\n", {L"RDP channel", L"working"}), L"RDP channel working\r\n");
    // A translation with more conversions than arguments, or odd ones.
    EXPECT_EQ(FormatText(L"%s and %s", {L"one"}), L"one and ");
    EXPECT_EQ(FormatText(L"100%% %n %d %", {}), L"100% %n %d %");
    EXPECT_EQ(FormatText(L"%u days", {L"text"}), L"0 days");
}

// A dialog-like window with the controls the base writes to.
class ControlsWindow {
public:
    ControlsWindow() {
        window_ = ::CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                    nullptr, nullptr);
        list_ = Child(L"ListBox", IDC_STATUS_LIST, LBS_NOTIFY);
        Child(L"Static", IDC_DESCRIPTION, 0);
    }
    ~ControlsWindow() { ::DestroyWindow(window_); }
    ControlsWindow(const ControlsWindow&) = delete;
    ControlsWindow& operator=(const ControlsWindow&) = delete;

    HWND Child(const wchar_t* cls, int id, DWORD style) {
        return ::CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 50, 20, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                                 nullptr);
    }
    HWND Get() const { return window_; }
    HWND List() const { return list_; }
    std::wstring Description() const {
        wchar_t text[256] = {};
        ::GetDlgItemTextW(window_, IDC_DESCRIPTION, text, 256);
        return text;
    }

private:
    HWND window_;
    HWND list_;
};

TEST_F(TextBuilders, AddListLineAddsTheLineUnchangedAndLogsIt) {
    std::wstring dir = testing_support::MakeScratchDir(L"dialog-log");
    std::wstring path = dir + L"\\RemoteDesktop.txt";
    support::DiagnosticLog log;
    log.OpenAt(path);
    support::SetProcessLog(&log);
    ControlsWindow window;
    base_.AddListLine(window.Get(), IDC_STATUS_LIST, L"RDP channel working\r\n");
    base_.AddListLine(window.Get(), IDC_STATUS_LIST, L"");
    base_.AddListLine(window.Get(), IDC_STATUS_LIST, L"Test completed: 10:15:04");
    support::SetProcessLog(nullptr);
    log.Close();

    ASSERT_EQ(::SendMessageW(window.List(), LB_GETCOUNT, 0, 0), 3);
    wchar_t text[64] = {};
    ::SendMessageW(window.List(), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"RDP channel working\r\n");
    // The list item's own CR LF, then the log's line end; an empty line still ends.
    EXPECT_EQ(testing_support::ReadFileBytes(path),
              "RDP channel working\r\r\n\r\n\r\nTest completed: 10:15:04\r\n");
    testing_support::RemoveTree(dir);
}

TEST_F(TextBuilders, DescriptionFollowsTheFocusedControl) {
    ControlsWindow window;
    const struct {
        int id;
        const wchar_t* text;
    } rows[] = {
        {IDCANCEL, L"Closes the current dialog box."},
        {IDC_CHANNEL_LIST, L"Status of the Corvane remote channels."},
        {IDC_REPAIR, L"Attempt to repair the channels that are not working."},
        {IDC_TEST_CONNECTION,
         L"Opens a dialog box that tests the connection status. This may take a minute."},
        {IDC_STATUS_LIST, L"Lists the connection status for all virtual channels used."},
        {IDC_REFRESH, L"Re-tests the connection status. This may take a minute."},
        {IDC_AUTHORIZATION, L""},
        {1234, L""},
    };
    for (const auto& row : rows) {
        HWND control = row.id == IDC_STATUS_LIST ? window.List()
                                                 : window.Child(L"Button", row.id, WS_TABSTOP);
        ::SetDlgItemTextW(window.Get(), IDC_DESCRIPTION, L"stale");
        ::SetFocus(control);
        base_.UpdateFocusDescription(window.Get());
        EXPECT_EQ(window.Description(), row.text) << row.id;
    }
    ::SetFocus(nullptr);
    ::SetDlgItemTextW(window.Get(), IDC_DESCRIPTION, L"stale");
    base_.UpdateFocusDescription(window.Get());
    EXPECT_EQ(window.Description(), L"");
}

}  // namespace
