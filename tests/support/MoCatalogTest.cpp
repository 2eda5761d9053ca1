// The .mo reader against msgfmt's own output, and against damage.
#include <gtest/gtest.h>

#include <cstdint>

#include "MoCatalog.h"
#include "common/TestPaths.h"

namespace {

using lingua::MoCatalog;

std::string TestCatalogue() {
    return testing_support::ReadFileBytes(testing_support::BesideExe(L"support-testdata\\tst.mo"));
}

std::string Ctx(const char* context, const char* msgid) {
    return std::string(context) + '\x04' + msgid;
}

TEST(MoCatalog, FindsMsgfmtEntriesByContextAndMsgid) {
    MoCatalog catalogue;
    ASSERT_TRUE(catalogue.Parse(TestCatalogue()));
    const std::pair<std::string, const wchar_t*> cases[] = {
        {Ctx("Remote channel", "RDP channel"), L"tst RDP"},
        {Ctx("Remote conection status", "Client machine with no remote host running"),
         L"tst misspelt context"},
        {Ctx("Remote connection status", "Client machine with no remote host running"),
         L"tst correct context"},
        {"Client machine with no remote host running", L"tst no context"},
        {Ctx("Driver load status", "loaded"), L"Gr\u00fc\u00dfe \u20ac \U0001F600"},
        {Ctx("Remote connection status", "%u days"), L"%u tst-days"},  // first plural form
        {Ctx("Driver load status", "not loaded"), nullptr},             // untranslated
        {Ctx("Remote channel", "working"), nullptr},
        {Ctx("Remote channel status", "work"), nullptr},
        {"RDP channel", nullptr},
        {"", nullptr},  // the header is no translation
    };
    for (const auto& [key, expected] : cases) {
        const std::wstring* text = catalogue.Find(key);
        EXPECT_EQ(text ? *text : L"(none)", expected ? expected : L"(none)") << key;
    }
}

// Whatever the damage, the reader refuses the file or answers without
// crashing: every offset it follows has been checked against the size.
TEST(MoCatalog, SurvivesEveryTruncationAndRandomDamage) {
    const std::string valid = TestCatalogue();
    auto probe = [](const std::string& bytes) {
        MoCatalog catalogue;
        if (!catalogue.Parse(bytes)) return;
        for (const char* msgid : {"RDP channel", "working", "loaded", "%u days"}) {
            catalogue.Find(msgid);
            catalogue.Find(Ctx("Remote channel", msgid));
        }
    };
    for (size_t size = 0; size < valid.size(); ++size) probe(valid.substr(0, size));
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = valid;
        // Half the rounds hit only the header and tables, where a lie does most harm.
        size_t span = round % 2 ? valid.size() : std::min<size_t>(valid.size(), 28 + 16 * 16);
        for (uint32_t flips = 1 + next() % 4; flips > 0; --flips)
            bytes[next() % span] = static_cast<char>(next() >> 24);
        probe(bytes);
    }
}

TEST(MoCatalog, MissingFileOrFolderIsNoCatalogue) {
    MoCatalog catalogue;
    EXPECT_FALSE(catalogue.LoadFile(L"C:\\no\\such\\folder\\FarlinkUI.mo"));
    EXPECT_FALSE(catalogue.LoadFile(testing_support::ExeDir()));
}

}  // namespace
