#include <gtest/gtest.h>

#include "server/CommandLine.h"

namespace {

using server::ParseServerSwitch;
using server::ServerSwitch;

struct Case {
    const wchar_t* commandLine;
    ServerSwitch expected;
};

TEST(CommandLine, SwitchParsingRules) {
    const Case cases[] = {
        // No switch: run the server, whatever COM adds.
        {L"C:\\Farlink\\FarlinkUI.exe", ServerSwitch::None},
        {L"C:\\Farlink\\FarlinkUI.exe -Embedding", ServerSwitch::None},
        {L"", ServerSwitch::None},
        // Both prefixes, any case.
        {L"FarlinkUI.exe /RegServer", ServerSwitch::RegServer},
        {L"FarlinkUI.exe -regserver", ServerSwitch::RegServer},
        {L"FarlinkUI.exe /UNREGSERVER", ServerSwitch::UnregServer},
        {L"FarlinkUI.exe -uNrEgSeRvEr", ServerSwitch::UnregServer},
        {L"FarlinkUI.exe /RegServerPerUser", ServerSwitch::RegServerPerUser},
        {L"FarlinkUI.exe -unregserverperuser", ServerSwitch::UnregServerPerUser},
        // The word must end after the name: blank, tab or end of text.
        {L"FarlinkUI.exe /RegServer\tmore", ServerSwitch::RegServer},
        {L"FarlinkUI.exe /RegServerX", ServerSwitch::None},
        {L"FarlinkUI.exe /RegServers /UnregServerNow", ServerSwitch::None},
        {L"FarlinkUI.exe /RegServerPerUserX", ServerSwitch::None},
        {L"FarlinkUI.exe /Reg", ServerSwitch::None},
        // The first switch in the text wins.
        {L"FarlinkUI.exe /UnregServer /RegServer", ServerSwitch::UnregServer},
        {L"FarlinkUI.exe -RegServer -UnregServer", ServerSwitch::RegServer},
        {L"FarlinkUI.exe /RegServerX -UnregServer", ServerSwitch::UnregServer},
        // A "-" or "/" inside the program path triggers nothing by itself...
        {L"C:\\my-tools/Farlink-UI\\FarlinkUI.exe", ServerSwitch::None},
        {L"\"C:\\Program Files\\a-b\\FarlinkUI.exe\" -Embedding", ServerSwitch::None},
        // ...but a path word that equals a switch name does.
        {L"C:\\x-RegServer FarlinkUI.exe", ServerSwitch::RegServer},
        // No blank needed before the prefix.
        {L"FarlinkUI.exe/regserver", ServerSwitch::RegServer},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseServerSwitch(c.commandLine), c.expected)
            << "command line: " << testing::PrintToString(std::wstring(c.commandLine));
    }
    EXPECT_EQ(ParseServerSwitch(nullptr), ServerSwitch::None);
}

}  // namespace
