#pragma once
// One GNU .mo catalogue, read whole into memory and checked once, so that a
// corrupt or truncated file is refused up front instead of being trusted
// during lookups.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lingua {

class MoCatalog {
public:
    // Larger files are refused unread; ours are a few kilobytes.
    static constexpr size_t kMaxFileSize = 16u * 1024 * 1024;

    // Takes the bytes of a .mo file. False (and an empty catalogue) when the
    // header, a table or any string lies outside the data, or when the
    // originals are not in the sorted order a binary search relies on.
    bool Parse(std::string bytes);

    // Parse() of a file's contents; false when it cannot be read.
    bool LoadFile(const std::wstring& path);

    // The translation of `key` (msgctxt "\x04" msgid, UTF-8), or null when the
    // catalogue has none or an empty one. The pointer lives as long as this
    // catalogue. For a plural entry, its first form.
    const std::wstring* Find(const std::string& key) const;

    size_t size() const { return translations_.size(); }

private:
    struct Entry {
        uint32_t offset;
        uint32_t length;
    };

    // The original of entry i, up to its first NUL (a plural entry stores
    // "singular\0plural"; gettext matches the singular).
    std::string_view Original(size_t i) const;

    std::string bytes_;
    std::vector<Entry> originals_;
    std::vector<std::wstring> translations_;
};

// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(const wchar_t* text);

}  // namespace lingua
