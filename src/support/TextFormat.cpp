#include "support/TextFormat.h"

#include "win/NumberText.h"

namespace support {

namespace {

std::wstring Number(unsigned long value, bool hex) {
    return win::NumberText(value, hex ? 16 : 10);
}

}  // namespace

std::wstring FormatArg::AsText() const {
    if (isNumber_) return Number(number_, false);
    if (text_) return *text_;
    return literal_ ? literal_ : L"";
}

std::wstring FormatText(const std::wstring& format, std::initializer_list<FormatArg> args) {
    std::wstring out;
    const FormatArg* next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        wchar_t c = format[i];
        if (c != L'%' || i + 1 == format.size()) {
            out += c;
            continue;
        }
        wchar_t conversion = format[i + 1];
        if (conversion == L'%') {
            out += L'%';
        } else if (conversion == L's' || conversion == L'u' || conversion == L'x') {
            if (next != args.end()) {
                out += conversion == L's' ? next->AsText()
                                          : Number(next->AsNumber(), conversion == L'x');
                ++next;
            }
        } else {
            out += c;
            out += conversion;
        }
        ++i;
    }
    return out;
}

}  // namespace support
