// farlinkctl check and repair as an administrator's script runs them: no
// server, exit codes, the dialog's lines and message, JSON, translation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>

#include "common/TestPaths.h"
#include "dialogs/DialogFixture.h"
#include "server/ServerProcess.h"

namespace {

using Flat = std::map<std::string, std::string>;

// A strict reader for the JSON farlinkctl writes: flattens it into entries
// like "channels.0.line" (strings unescaped, other values as written).
struct JsonReader {
    const std::string& t;
    Flat& out;
    size_t i = 0;
    void Skip() { while (i < t.size() && std::isspace(static_cast<unsigned char>(t[i]))) ++i; }
    bool Eat(char c) { return Skip(), i < t.size() && t[i] == c ? (++i, true) : false; }
    bool String(std::string* s) {
        if (!Eat('"')) return false;
        for (; i < t.size() && t[i] != '"'; ++i) {
            if (static_cast<unsigned char>(t[i]) < 0x20) return false;
            if (t[i] != '\\') { *s += t[i]; continue; }
            size_t k = std::string("\"\\/bfnrtu").find(t[++i]);
            if (k == std::string::npos || (k == 8 && i + 4 >= t.size())) return false;
            *s += k < 8 ? "\"\\/\b\f\n\r\t"[k]
                        : char(std::strtol(t.substr(i + 1, 4).c_str(), nullptr, 16));
            if (k == 8) i += 4;
        }
        return i++ < t.size();
    }
    template <typename Item> bool List(char close, Item item) {
        if (Eat(close)) return true;
        do if (!item()) return false; while (Eat(','));
        return Eat(close);
    }
    bool Member(const std::string& prefix) {
        std::string key;
        return String(&key) && Eat(':') && Value(prefix + key);
    }
    bool Value(const std::string& path) {
        std::string prefix = path.empty() ? "" : path + ".";
        int n = 0;
        if (Eat('{')) return List('}', [&] { return Member(prefix); });
        if (Eat('[')) return List(']', [&] { return Value(prefix + std::to_string(n++)); });
        if (i < t.size() && t[i] == '"') return String(&out[path]);
        size_t end = std::min(t.find_first_of(",]} \r\n", i), t.size());
        std::string literal = out[path] = t.substr(i, end - i);
        char* stop = nullptr;
        std::strtod(literal.c_str(), &stop);
        i = end;
        return literal == "true" || literal == "false" || literal == "null" ||
               (!literal.empty() && !*stop);
    }
    bool Read() { return Value("") && (Skip(), i == t.size()); }
};

class FarlinkctlCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(cache_.Seeded());
        install_.CreatePluginFile();  // not registered: RDP and Azure do not work
    }
    dialog_tests::ClientRun Run(const std::wstring& args) {
        dialog_tests::ClientRun run;
        run.exitCode = server_testing::RunClient(args, &run.output);
        run.output.erase(std::remove(run.output.begin(), run.output.end(), '\r'), run.output.end());
        return run;
    }
    testing_support::SessionCacheSeed cache_;
    dialog_tests::RdpInstall install_;
};

TEST_F(FarlinkctlCheckTest, CheckNamesTheBrokenChannelsRepairFixesThemAndNothingIsLogged) {
    std::wstring log = server_testing::ServerLogPath();
    std::wstring logFolder = log.substr(0, log.find(L"\\Farlink\\") + 8);
    testing_support::RemoveTree(logFolder);
    const struct { const wchar_t* args; DWORD exitCode; const char* output; } steps[] = {
        {L"check", 1, "Azure channel not working\nRDP channel not working\n"},
        {L"repair --language deu", 0,
         "Die Remotekan\xc3\xa4le wurden repariert.\n"
         "Azure-Kanal funktioniert\nRDP-Kanal funktioniert\n"},
        {L"check", 0, "Azure channel working\nRDP channel working\n"},
        {L"repair", 0, "Azure channel working\nRDP channel working\n"},  // no message: nothing done
    };
    for (const auto& step : steps) {
        dialog_tests::ClientRun run = Run(step.args);
        EXPECT_EQ(run.exitCode, step.exitCode) << run.output;
        EXPECT_EQ(run.output, step.output);
    }
    std::wstring name;
    ASSERT_TRUE(install_.ReadRegisteredName(&name));
    EXPECT_EQ(name, install_.PluginPath());
    EXPECT_FALSE(testing_support::FileExists(logFolder));  // the dialogs' log is the server's alone
}

TEST_F(FarlinkctlCheckTest, JsonParsesAndAgreesWithTheTextLines) {
    dialog_tests::ClientRun text = Run(L"check"), json = Run(L"check --json");
    EXPECT_EQ(json.exitCode, 1u) << json.output;
    Flat flat;
    ASSERT_TRUE((JsonReader{json.output, flat}.Read())) << json.output;
    EXPECT_EQ(flat["command"] + flat["session"] + flat["allWorking"], "checkLocalfalse");
    std::string lines;
    for (std::string c : {"channels.0.", "channels.1."}) {
        lines += flat[c + "line"] + "\n";
        EXPECT_EQ(flat[c + "line"], flat[c + "type"] + " channel not working");
        EXPECT_EQ(flat[c + "name"] + " " + flat[c + "working"] + " " + flat[c + "needsRepair"],
                  flat[c + "type"] + " channel false true");
        // Remote Desktop counts as installed everywhere: this side cannot tell.
        EXPECT_EQ(flat[c + "clientInstalled"] + " " + flat[c + "pluginInstalled"] + " " +
                      flat[c + "pluginRegistered"], "null true false");
    }
    EXPECT_EQ(lines, text.output);
    EXPECT_EQ(flat.count("channels.2.line"), 0u) << json.output;
}

TEST_F(FarlinkctlCheckTest, UsageErrorsExitWithTwoAndChangeNothing) {
    for (const wchar_t* args : {L"check --bogus", L"repair --language", L"repair json"}) {
        dialog_tests::ClientRun run = Run(args);
        EXPECT_EQ(run.exitCode, 2u) << run.output;
        EXPECT_NE(run.output.find("usage: farlinkctl check|repair"), std::string::npos)
            << run.output;
        EXPECT_EQ(run.output.find("channel"), std::string::npos) << run.output;
    }
    std::wstring name;
    EXPECT_FALSE(install_.ReadRegisteredName(&name));
}

}  // namespace
