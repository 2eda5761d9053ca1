#pragma once
// The library's one object: the selected language, the domain bindings and
// the catalogues read so far. Calls may come from any thread; one lock keeps
// them apart. No exception leaves a slot: the library is built without them,
// and a failed allocation means "no translation" or "nothing changed".
#include "Catalogues.h"
#include "GrowingList.h"
#include "Text.h"
#include "lingua/LinguaInterface.h"
#include "win/Lock.h"

namespace lingua {

class Lingua final : public LinguaInterface {
public:
    const wchar_t* __thiscall GetLanguage() override;
    void __thiscall SetLanguage(const wchar_t* languageCode) override;
    void __thiscall SetFlag(int flags) override;
    void __thiscall BindDomain(const wchar_t* domain, const wchar_t* folder) override;
    const wchar_t* __thiscall GetDomainFolder(const wchar_t* domain) override;
    void __thiscall SetModule(HMODULE module, int reserved1, int reserved2) override;
    const wchar_t* __thiscall Lookup(const wchar_t* domain, const wchar_t* context,
                                     const wchar_t* msgid) override;

private:
    struct Binding {
        WideText domain;
        WideText folder;
    };

    // The binding of `domain` (null: the one bound last), or null.
    const Binding* FindBinding(const wchar_t* domain) const;
    const wchar_t* FindTranslation(const wchar_t* domain, const wchar_t* context,
                                   const wchar_t* msgid);

    win::Lock lock_;
    // Every language selected, the current one first; none is "". Kept for the
    // life of the process, as GetLanguage hands out their texts.
    GrowingList<WideText> languages_;
    int flags_ = 0;
    // Newest first. A domain bound again gets a new entry in front, which
    // hides the old one: a folder text handed out earlier stays valid.
    GrowingList<Binding> bindings_;
    Catalogues catalogues_;
};

}  // namespace lingua
