// The catalogues the build puts in bin\Locale answer every (context, msgid)
// the dialogs look up, and every format keeps its msgid's placeholders in
// order (msgfmt counts them, but does not notice "%u (%x)" turned into
// "%x (%u)").
#include <gtest/gtest.h>

#include <cctype>
#include <iterator>

#include "MoCatalog.h"
#include "common/TestPaths.h"

namespace {

struct Message {
    const char* context;
    const char* msgid;
};

// Every lookup of the two dialogs, contexts spelt exactly as they look them up.
const Message kDialogMessages[] = {
    {"Remote channel status", "working"},
    {"Remote channel status", "not working"},
    {"Remote access authorization", "Enabled"},
    {"Remote access authorization", "Disabled"},
    {"Remote channel", "Citrix channel"},
    {"Remote channel", "RDP channel"},
    {"Remote channel", "Horizon channel"},
    {"Remote channel", "AWS channel"},
    {"Remote channel", "Azure channel"},
    {"Driver load status", "loaded"},
    {"Driver load status", "not loaded"},
    {"Remote connection status", "connected"},
    {"Remote connection status", "not connected"},
    {"Remote connection status", "%u days"},
    {"Remote connection status", "1 day"},
    {"Remote connection status", "%u hours"},
    {"Remote connection status", "1 hour"},
    {"Remote connection status", "%u minutes"},
    {"Remote connection status", "1 minute"},
    {"Remote connection status", "%u seconds"},
    {"Remote connection status", "1 second"},
    {"Remote connection status", "Test started"},
    {"Remote connection status", "Test completed"},
    {"Remote Desktop dialog box", "Closes the current dialog box."},
    {"Remote Desktop dialog box", "Status of the Corvane remote channels."},
    {"Remote Desktop dialog box", "Attempt to repair the channels that are not working."},
    {"Remote Desktop dialog box",
     "Opens a dialog box that tests the connection status. This may take a minute."},
    {"Remote Connection Status dialog box",
     "Lists the connection status for all virtual channels used."},
    {"Remote Connection Status dialog box",
     "Re-tests the connection status. This may take a minute."},
    {"Remote Desktop Repair", "An error occurred trying to repair the remote channels."},
    {"Remote Desktop Repair", "The remote channels have been repaired."},
    {"Remote conection status", "Client machine with multiple server hosts running."},
    {"Remote conection status", "Client machine with no remote host running"},
    {"Remote connection status: eg 5 seconds ago", "- last message sent %s ago"},
    {"Remote connection status: eg 5 seconds ago", "- last message received %s ago"},
    {"Remote connection status: same error code as decimal and hexadecimal",
     "- last error %u (%x)"},
};

// The conversions of a printf format, in order ("%%" is no conversion).
template <typename Char>
std::string Placeholders(const std::basic_string<Char>& format) {
    std::string result;
    for (size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%') continue;
        if (format[i + 1] == '%') {
            ++i;
            continue;
        }
        result += '%';
        while (++i < format.size() && !std::isalpha(static_cast<unsigned char>(format[i])))
            result += static_cast<char>(format[i]);
        if (i < format.size()) result += static_cast<char>(format[i]);
    }
    return result;
}

// Display texts are written to the log one byte per character: anything past
// Latin-1 would come out as "?" there.
bool FitsLatin1(const std::wstring& text) {
    for (wchar_t c : text)
        if (c > 0xFF) return false;
    return true;
}

TEST(Catalogues, EveryLanguageAnswersEveryDialogMessage) {
    for (const wchar_t* language : {L"deu", L"fra"}) {
        SCOPED_TRACE(testing::Message() << "language " << language[0] << language[1] << language[2]);
        lingua::MoCatalog catalogue;
        ASSERT_TRUE(catalogue.LoadFile(testing_support::BesideExe(L"Locale\\") + language +
                                       L"\\lc_messages\\FarlinkUI.mo"));
        size_t unchanged = 0;
        for (const Message& m : kDialogMessages) {
            const std::wstring* text =
                catalogue.Find(std::string(m.context) + '\x04' + m.msgid);
            ASSERT_NE(text, nullptr) << m.context << " / " << m.msgid;
            EXPECT_EQ(Placeholders(*text), Placeholders(std::string(m.msgid)))
                << m.context << " / " << m.msgid;
            EXPECT_TRUE(FitsLatin1(*text)) << m.msgid;
            if (*text == lingua::Utf8ToWide(m.msgid)) ++unchanged;
        }
        // A few words ("1 minute") read the same in French; a catalogue of
        // mostly English texts is a build or copy mistake.
        EXPECT_LE(unchanged, 3u);
        // Nothing beyond the dialogs' messages and the header.
        EXPECT_EQ(catalogue.size(), std::size(kDialogMessages) + 1);
    }
}

}  // namespace
