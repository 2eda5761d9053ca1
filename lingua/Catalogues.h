#pragma once
// Every catalogue the library has opened, keyed by its file path. Catalogues
// are never dropped: a text handed out stays valid for the life of the
// process, even after the language or a folder binding changes.
#include "GrowingList.h"
#include "MoCatalog.h"
#include "Text.h"

namespace lingua {

class Catalogues {
public:
    // The catalogue at `path`, read on first use. A missing, unreadable or
    // corrupt file gives an empty catalogue, which is remembered like any
    // other; null only when memory is short, and then nothing is remembered.
    const MoCatalog* Get(const wchar_t* path);

private:
    struct Opened {
        WideText path;
        MoCatalog catalogue;
    };
    GrowingList<Opened> opened_;
};

}  // namespace lingua
