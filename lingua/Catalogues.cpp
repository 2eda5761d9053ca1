#include "Catalogues.h"

#include <cwchar>

namespace lingua {

const MoCatalog* Catalogues::Get(const wchar_t* path) {
    // Compared exactly: two spellings of one file are two catalogues, which
    // costs memory but never a wrong answer.
    Opened* found = opened_.FindFirst(
        [path](const Opened& opened) { return std::wcscmp(opened.path.data(), path) == 0; });
    if (found) return &found->catalogue;
    Opened* added = opened_.PushFront();
    if (!added) return nullptr;
    if (!JoinWide({path}, &added->path) ||
        (!added->catalogue.LoadFile(path) && added->catalogue.LackedMemory())) {
        opened_.PopFront();
        return nullptr;
    }
    return &added->catalogue;
}

}  // namespace lingua
