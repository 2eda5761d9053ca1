#pragma once
// One GNU .mo catalogue, read whole into memory and checked once, so that a
// corrupt or truncated file is refused up front instead of being trusted
// during lookups.
#include <cstdint>
#include <string_view>

#include "HeapArray.h"

namespace lingua {

class MoCatalog {
public:
    // Larger files are refused unread; ours are a few kilobytes.
    static constexpr size_t kMaxFileSize = 16u * 1024 * 1024;

    // Takes a copy of the bytes of a .mo file. False (and an empty catalogue)
    // when the header, a table or any string with its closing NUL lies
    // outside the data, when the originals are not in the strictly rising
    // order a binary search relies on, or when memory is short.
    bool Parse(std::string_view bytes);

    // Parse() of a file's contents; false when it cannot be read.
    bool LoadFile(const wchar_t* path);

    // Whether the last Parse() or LoadFile() failed for want of memory rather
    // than for the file: such a failure is worth another try later.
    bool LackedMemory() const { return lackedMemory_; }

    // The translation of `key` (msgctxt "\x04" msgid, UTF-8), or null when the
    // catalogue has none or an empty one. The text lives as long as this
    // catalogue. For a plural entry, its first form.
    const wchar_t* Find(std::string_view key) const;

    size_t size() const { return entries_.size(); }

private:
    static constexpr uint32_t kNoText = UINT32_MAX;

    struct Entry {
        uint32_t offset;  // of the original in bytes_
        uint32_t length;
        uint32_t text;    // of the translation in texts_, or kNoText
    };

    bool Adopt(std::string_view data, HeapArray<char>* owned);
    bool ConvertTranslations(std::string_view data, uint32_t tableOffset);
    void Clear();

    // The original of entry i in `data`, up to its first NUL (a plural entry
    // stores "singular\0plural"; gettext matches the singular).
    std::string_view Original(const char* data, size_t i) const;

    HeapArray<char> bytes_;
    HeapArray<Entry> entries_;
    // Every translation in UTF-16, NUL-terminated, converted once so lookups
    // hand out pointers that never move.
    HeapArray<wchar_t> texts_;
    bool lackedMemory_ = false;
};

}  // namespace lingua
