#include <gtest/gtest.h>

#include "common/TestPaths.h"
#include "support/DiagnosticLog.h"

namespace {

using support::DiagnosticLog;

TEST(DiagnosticLog, LinesEndInCrLfAndNarrowToSingleBytes) {
    std::wstring dir = testing_support::MakeScratchDir(L"log");
    std::wstring path = dir + L"\\RemoteDesktop.txt";
    {
        DiagnosticLog log;
        log.OpenAt(path);
        ASSERT_TRUE(log.IsOpen());
        log.WriteLine(L"first");
        log.WriteLine(L"");
        log.WriteLine(L"caf\u00e9 \u00ff");
        // Outside Latin-1: one "?" each, and the log goes on.
        log.WriteLine(L"\u0420\u0443\u0441 \u20ac");
        log.WriteLine(L"channel\r\n");
        log.WriteLine(L"last");
    }
    EXPECT_EQ(testing_support::ReadFileBytes(path),
              "first\r\n\r\ncaf\xe9 \xff\r\n??? ?\r\nchannel\r\r\n\r\nlast\r\n");

    // Reopening truncates: only the new run's lines remain.
    {
        DiagnosticLog log;
        log.OpenAt(path);
        log.WriteLine(L"second run");
    }
    EXPECT_EQ(testing_support::ReadFileBytes(path), "second run\r\n");
    testing_support::RemoveTree(dir);
}

TEST(DiagnosticLog, UnopenedOrFailedLogDropsLinesSilently) {
    DiagnosticLog log;
    log.WriteLine(L"nowhere");
    log.OpenAt(L"Q:\\no\\such\\folder\\RemoteDesktop.txt");
    EXPECT_FALSE(log.IsOpen());
    log.WriteLine(L"nowhere either");
    log.Close();
    log.Close();
}

TEST(DiagnosticLog, ManyLinesAllReachTheFile) {
    std::wstring dir = testing_support::MakeScratchDir(L"log");
    std::wstring path = dir + L"\\RemoteDesktop.txt";
    std::string expected;
    {
        DiagnosticLog log;
        log.OpenAt(path);
        for (int i = 0; i < 2000; ++i) {
            log.WriteLine(L"line " + std::to_wstring(i));
            expected += "line " + std::to_string(i) + "\r\n";
        }
    }
    EXPECT_EQ(testing_support::ReadFileBytes(path), expected);
    testing_support::RemoveTree(dir);
}

TEST(DiagnosticLog, PathNamesTheMajorVersion) {
    EXPECT_EQ(DiagnosticLog::PathFor(L"C:\\Users\\u\\AppData\\Roaming", 7),
              L"C:\\Users\\u\\AppData\\Roaming\\Corvane\\Shared\\Farlink\\7\\RemoteDesktop.txt");
}

}  // namespace
