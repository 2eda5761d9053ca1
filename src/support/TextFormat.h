#pragma once
// printf-style formatting of the translated lines, for the few conversions they
// use: %s (a wide string), %u (unsigned decimal), %x (lower-case hex) and %%.
// Formats may come from a translation catalogue, so this never reads past the
// arguments it was given: a missing argument formats as nothing, an unknown
// conversion is copied as it stands.
#include <initializer_list>
#include <string>

namespace support {

class FormatArg {
public:
    FormatArg(const std::wstring& text) : text_(&text) {}
    FormatArg(const wchar_t* text) : literal_(text ? text : L"") {}
    FormatArg(unsigned long number) : number_(number), isNumber_(true) {}
    FormatArg(unsigned number) : number_(number), isNumber_(true) {}

    std::wstring AsText() const;
    unsigned long AsNumber() const { return isNumber_ ? number_ : 0; }

private:
    const std::wstring* text_ = nullptr;
    const wchar_t* literal_ = nullptr;
    unsigned long number_ = 0;
    bool isNumber_ = false;
};

std::wstring FormatText(const std::wstring& format, std::initializer_list<FormatArg> args);

}  // namespace support
