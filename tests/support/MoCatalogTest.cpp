// The .mo reader against msgfmt's own output and against every way a file can
// lie about its layout: a bad catalogue is refused, never trusted.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>

#include "MoCatalog.h"
#include "common/TestPaths.h"

namespace {

using lingua::MoCatalog;

std::string TestCatalogue() {
    return testing_support::ReadFileBytes(testing_support::BesideExe(L"support-testdata\\tst.mo"));
}

uint32_t Get32(const std::string& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
void Put32(std::string& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }
size_t Originals(const std::string& b) { return Get32(b, 12); }
size_t Translations(const std::string& b) { return Get32(b, 16); }

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
        if (expected) {
            ASSERT_NE(text, nullptr) << key;
            EXPECT_EQ(*text, expected) << key;
        } else {
            EXPECT_EQ(text, nullptr) << key;
        }
    }
}

TEST(MoCatalog, RefusesFilesThatDescribeDataOutsideThemselves) {
    const std::pair<const char*, std::function<void(std::string&)>> cases[] = {
        {"empty", [](std::string& b) { b.clear(); }},
        {"header cut short", [](std::string& b) { b.resize(27); }},
        {"big-endian or wrong magic", [](std::string& b) { Put32(b, 0, 0xde120495); }},
        {"unknown major revision", [](std::string& b) { Put32(b, 4, 2u << 16); }},
        {"count beyond the file", [](std::string& b) { Put32(b, 8, 0x20000000); }},
        {"count whose table size wraps 32 bits", [](std::string& b) { Put32(b, 8, 0xE0000000); }},
        {"originals table at the end", [](std::string& b) { Put32(b, 12, uint32_t(b.size())); }},
        {"translations table offset wraps", [](std::string& b) { Put32(b, 16, 0xFFFFFFF8); }},
        {"string past the end",
         [](std::string& b) { Put32(b, Originals(b) + 12, uint32_t(b.size())); }},
        {"length that wraps with its offset",
         [](std::string& b) { Put32(b, Translations(b) + 8, 0xFFFFFFFF); }},
        {"originals out of order",
         [](std::string& b) {
             std::string first = b.substr(Originals(b) + 8, 8);
             b.replace(Originals(b) + 8, 8, b.substr(Originals(b) + 16, 8));
             b.replace(Originals(b) + 16, 8, first);
         }},
        {"duplicate original",
         [](std::string& b) { b.replace(Originals(b) + 16, 8, b.substr(Originals(b) + 8, 8)); }},
    };
    for (const auto& [name, mutate] : cases) {
        std::string bytes = TestCatalogue();
        ASSERT_GT(bytes.size(), 100u);
        mutate(bytes);
        MoCatalog catalogue;
        EXPECT_FALSE(catalogue.Parse(bytes)) << name;
        EXPECT_EQ(catalogue.Find(Ctx("Remote channel", "RDP channel")), nullptr) << name;
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
