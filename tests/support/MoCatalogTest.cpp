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
    std::string bytes = testing_support::ReadFileBytes(
        testing_support::BesideExe(L"support-testdata\\tst.mo"));
    EXPECT_GT(bytes.size(), 28u) << "tst.mo missing: build translation_test_catalogue";
    return bytes;
}

uint32_t Get32(const std::string& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
void Put32(std::string& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }

// Header fields and table entries of a little-endian file.
uint32_t Count(const std::string& b) { return Get32(b, 8); }
size_t Originals(const std::string& b) { return Get32(b, 12); }
size_t Translations(const std::string& b) { return Get32(b, 16); }

std::string Ctx(const char* context, const char* msgid) {
    return std::string(context) + '\x04' + msgid;
}

struct FindCase {
    const char* name;
    std::string key;
    const wchar_t* expected;  // null: no translation
};

const std::vector<FindCase>& FindCases() {
    static const std::vector<FindCase> cases = {
        {"context entry", Ctx("Remote channel", "RDP channel"), L"tst RDP"},
        {"misspelt context is its own key",
         Ctx("Remote conection status", "Client machine with no remote host running"),
         L"tst misspelt context"},
        {"correct context", Ctx("Remote connection status", "Client machine with no remote host running"),
         L"tst correct context"},
        {"no context", "Client machine with no remote host running", L"tst no context"},
        {"UTF-8 to UTF-16, surrogate pair", Ctx("Driver load status", "loaded"),
         L"Gr\u00fc\u00dfe \u20ac \U0001F600"},
        {"plural entry gives its first form", Ctx("Remote connection status", "%u days"),
         L"%u tst-days"},
        {"marker text is returned as it stands", Ctx("Remote channel status", "working"), L".EMPTY."},
        {"untranslated entry", Ctx("Driver load status", "not loaded"), nullptr},
        {"unknown context", Ctx("Remote channel", "working"), nullptr},
        {"prefix of a key", Ctx("Remote channel status", "work"), nullptr},
        {"key without its context", "RDP channel", nullptr},
        {"header entry is no translation", "", nullptr},
    };
    return cases;
}

void ExpectFindCases(const MoCatalog& catalogue) {
    for (const FindCase& c : FindCases()) {
        const std::wstring* text = catalogue.Find(c.key);
        if (c.expected) {
            ASSERT_NE(text, nullptr) << c.name;
            EXPECT_EQ(*text, c.expected) << c.name;
        } else {
            EXPECT_EQ(text, nullptr) << c.name;
        }
    }
}

TEST(MoCatalog, FindsMsgfmtEntriesByContextAndMsgid) {
    MoCatalog catalogue;
    ASSERT_TRUE(catalogue.Parse(TestCatalogue()));
    ExpectFindCases(catalogue);
}

TEST(MoCatalog, ReadsBigEndianFilesAlike) {
    std::string bytes = TestCatalogue();
    uint32_t n = Count(bytes);
    size_t originals = Originals(bytes), translations = Translations(bytes);
    auto swap = [&](size_t at) {
        uint32_t v = Get32(bytes, at);
        Put32(bytes, at, (v >> 24) | ((v >> 8) & 0xff00) | ((v << 8) & 0xff0000) | (v << 24));
    };
    for (size_t i = 0; i < 7; ++i) swap(i * 4);
    for (size_t i = 0; i < 2 * n; ++i) {
        swap(originals + i * 4);
        swap(translations + i * 4);
    }
    MoCatalog catalogue;
    ASSERT_TRUE(catalogue.Parse(bytes));
    ExpectFindCases(catalogue);
}

TEST(MoCatalog, RefusesFilesThatDescribeDataOutsideThemselves) {
    using Mutation = std::function<void(std::string&)>;
    struct Case {
        const char* name;
        Mutation mutate;
    };
    const Case cases[] = {
        {"empty", [](std::string& b) { b.clear(); }},
        {"header cut short", [](std::string& b) { b.resize(27); }},
        {"wrong magic", [](std::string& b) { Put32(b, 0, 0x950412df); }},
        {"unknown major revision", [](std::string& b) { Put32(b, 4, 2u << 16); }},
        {"count beyond the file", [](std::string& b) { Put32(b, 8, 0x20000000); }},
        {"count that wraps 32 bits in bytes", [](std::string& b) { Put32(b, 8, 0xE0000000); }},
        {"originals table at the end", [](std::string& b) { Put32(b, 12, uint32_t(b.size())); }},
        {"translations table offset wraps",
         [](std::string& b) { Put32(b, 16, 0xFFFFFFF8); }},
        {"original string past the end",
         [](std::string& b) { Put32(b, Originals(b) + 12, uint32_t(b.size())); }},
        {"translation length wraps with its offset",
         [](std::string& b) { Put32(b, Translations(b) + 8, 0xFFFFFFFF); }},
        {"last translation one byte too long",
         [](std::string& b) {
             size_t at = Translations(b) + (Count(b) - 1) * 8;
             Put32(b, at, uint32_t(b.size()) - Get32(b, at + 4) + 1);
         }},
        {"originals out of order",
         [](std::string& b) {
             size_t first = Originals(b) + 8, second = Originals(b) + 16;
             std::string entry = b.substr(first, 8);
             b.replace(first, 8, b.substr(second, 8));
             b.replace(second, 8, entry);
         }},
        {"duplicate original",
         [](std::string& b) { b.replace(Originals(b) + 16, 8, b.substr(Originals(b) + 8, 8)); }},
    };
    for (const Case& c : cases) {
        std::string bytes = TestCatalogue();
        c.mutate(bytes);
        MoCatalog catalogue;
        EXPECT_FALSE(catalogue.Parse(bytes)) << c.name;
        EXPECT_EQ(catalogue.Find(Ctx("Remote channel", "RDP channel")), nullptr) << c.name;
    }
}

// Whatever the damage, the reader either refuses the file or answers from
// inside it; only a crash or a wrong answer to an intact entry fails.
TEST(MoCatalog, SurvivesEveryTruncationAndRandomDamage) {
    const std::string valid = TestCatalogue();
    auto check = [](const std::string& bytes, const std::string& what) {
        MoCatalog catalogue;
        if (!catalogue.Parse(bytes)) return;
        for (const FindCase& c : FindCases()) {
            const std::wstring* text = catalogue.Find(c.key);
            if (text) {
                EXPECT_FALSE(text->empty()) << what;
            }
        }
    };
    for (size_t size = 0; size < valid.size(); ++size) check(valid.substr(0, size), "cut");

    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = valid;
        // Mostly the header and tables, where a lie does the most harm.
        size_t span = round % 2 ? valid.size() : std::min<size_t>(valid.size(), 28 + 16 * 16);
        for (int flips = 1 + next() % 4; flips > 0; --flips)
            bytes[next() % span] = static_cast<char>(next() >> 24);
        check(bytes, "round " + std::to_string(round));
    }
}

TEST(MoCatalog, MissingOrUnreadableFileIsNoCatalogue) {
    MoCatalog catalogue;
    EXPECT_FALSE(catalogue.LoadFile(L"C:\\no\\such\\folder\\FarlinkUI.mo"));
    EXPECT_FALSE(catalogue.LoadFile(testing_support::ExeDir()));  // a folder
    EXPECT_TRUE(catalogue.LoadFile(testing_support::BesideExe(L"support-testdata\\tst.mo")));
    EXPECT_NE(catalogue.Find(Ctx("Remote channel", "RDP channel")), nullptr);
}

}  // namespace
