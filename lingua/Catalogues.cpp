#include "Catalogues.h"

namespace lingua {

const MoCatalog& Catalogues::Get(const std::wstring& path) {
    auto found = byPath_.find(path);
    if (found != byPath_.end()) return *found->second;
    auto catalogue = std::make_unique<MoCatalog>();
    catalogue->LoadFile(path);
    return *byPath_.emplace(path, std::move(catalogue)).first->second;
}

}  // namespace lingua
