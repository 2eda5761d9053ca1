#pragma once
// The registration switches of the server's command line.
namespace server {

enum class ServerSwitch {
    None,  // run the server
    UnregServer,
    RegServer,
    UnregServerPerUser,
    RegServerPerUser,
};

// Finds the first "-" or "/" followed by a switch name that ends there (end of
// text, blank or tab), compared without regard to case. The scan covers the
// whole line, program path included; anything else is ignored.
ServerSwitch ParseServerSwitch(const wchar_t* commandLine);

// Whether COM started the server: "-Embedding" or "/Embedding", matched the same way.
bool IsComLaunch(const wchar_t* commandLine);

}  // namespace server
