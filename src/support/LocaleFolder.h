#pragma once
// Where the translation catalogues of this program live: a "Locale" folder
// beside the program, else a versioned folder under ProgramData.
#include <string>
#include <vector>

namespace support {

struct LocaleFolderResult {
    std::wstring folder;       // empty when none was found
    std::wstring foundDomain;  // the first domain with a catalogue or candidate
    bool found = false;
};

// The major and minor product version of this process's executable; 0.0 when
// its version resource cannot be read.
void ProgramProductVersion(unsigned* major, unsigned* minor);

LocaleFolderResult FindLocaleFolder(const wchar_t* languageCode,
                                    const std::vector<std::wstring>& domains);

}  // namespace support
