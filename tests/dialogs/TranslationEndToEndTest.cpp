// The dialogs in the user's language: the language of the first request
// holds for the server's life; an unknown one shows the English texts.
#include <gtest/gtest.h>

#include <algorithm>

#include "dialogs/DialogFixture.h"
#include "server/ServerProcess.h"

namespace dialog_tests {
namespace {

class TranslationEndToEnd : public DialogTest {
protected:
    RdpInstall install_;
};

TEST_F(TranslationEndToEnd, DialogTextsComeOutInTheRequestedLanguage) {
    install_.CreatePluginFile();
    install_.Register();
    const struct {
        const wchar_t* language;
        const char* authorization;
        const char* rdpLine;
        const char* noClient;
    } rows[] = {
        {L"deu", "Aktiviert", "RDP-Kanal funktioniert\\r\\n", "Clientcomputer ohne laufenden Remotehost"},
        {L"fra", "Activ\xC3\xA9" "e", "Canal RDP op\xC3\xA9rationnel\\r\\n",
         "Ordinateur client sans h\xC3\xB4te distant en cours d'ex\xC3\xA9" "cution"},
        {L"xyz", "Enabled", "RDP channel working\\r\\n", "Client machine with no remote host running"},
    };
    for (const auto& row : rows) {
        // A fresh server for each language: only the first request sets it.
        ASSERT_TRUE(server_testing::WaitForNoServer(15000));
        ClientRun run = Run(std::wstring(L"--tester name=T connect show:") + row.language +
                            L" wait-dialog:desktop read:desktop click:desktop:test"
                            L" wait-dialog:status read:status click:status:close wait-gone:status"
                            L" click:desktop:close wait-gone:desktop release");
        ASSERT_EQ(run.exitCode, 0u) << run.output;
        EXPECT_EQ(run.Value("authorization"), row.authorization) << run.output;
        std::vector<std::string> lines = run.Lines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), row.rdpLine), lines.end()) << run.output;
        EXPECT_NE(std::find(lines.begin(), lines.end(), row.noClient), lines.end()) << run.output;
    }
}

TEST_F(TranslationEndToEnd, ALaterLanguageDoesNotChangeTheFirst) {
    ClientRun run = Run(L"--tester name=T connect show:deu wait-dialog:desktop click:desktop:close"
                        L" wait-gone:desktop show:fra wait-dialog:desktop read:desktop"
                        L" click:desktop:close wait-gone:desktop release");
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.Value("authorization"), "Aktiviert") << run.output;
}

}  // namespace
}  // namespace dialog_tests
