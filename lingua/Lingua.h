#pragma once
// The library's one object: the selected language, the domain bindings and
// the catalogues read so far. Calls may come from any thread; one lock keeps
// them apart. No exception leaves a slot: the caller is another module.
#include <string>
#include <vector>

#include "Catalogues.h"
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

    // "<folder>\<language>\lc_messages\<domain>.mo"; empty when the folder or
    // the language is empty.
    static std::wstring CataloguePath(const std::wstring& folder, const std::wstring& language,
                                      const std::wstring& domain);

private:
    struct Binding {
        std::wstring domain;
        std::wstring folder;
    };

    // The binding of `domain` (null: the one bound last), or null.
    const Binding* FindBinding(const wchar_t* domain) const;
    const wchar_t* FindTranslation(const wchar_t* domain, const wchar_t* context,
                                   const wchar_t* msgid);

    win::Lock lock_;
    // Kept for the life of the process, as GetLanguage hands out its text.
    std::vector<std::wstring> languages_{std::wstring()};
    int flags_ = 0;
    std::vector<Binding> bindings_;  // in binding order, the last bound last
    Catalogues catalogues_;
};

}  // namespace lingua
