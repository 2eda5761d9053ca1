#pragma once
// Every catalogue the library has opened, keyed by its file path. Catalogues
// are never dropped: a text handed out stays valid for the life of the
// process, even after the language or a folder binding changes.
#include <map>
#include <memory>
#include <string>

#include "MoCatalog.h"

namespace lingua {

class Catalogues {
public:
    // The catalogue at `path`, read on first use. A missing, unreadable or
    // corrupt file gives an empty catalogue, which is remembered like any other.
    const MoCatalog& Get(const std::wstring& path);

private:
    std::map<std::wstring, std::unique_ptr<MoCatalog>> byPath_;
};

}  // namespace lingua
