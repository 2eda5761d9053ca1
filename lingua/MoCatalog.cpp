#include "MoCatalog.h"

#include <windows.h>

#include <cstring>

#include "win/ScopedHandle.h"

namespace lingua {

namespace {

// msgfmt writes the byte order of the machine it runs on; ours are built on
// little-endian machines, so the other order is refused like any bad magic.
constexpr uint32_t kMagic = 0x950412de;
constexpr size_t kHeaderSize = 7 * 4;

uint32_t ReadU32(const char* bytes, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes + at, 4);
    return value;
}

// The text up to its first NUL.
std::string_view UpToNul(const char* text, size_t length) {
    const void* nul = std::memchr(text, 0, length);
    return {text, nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : length};
}

// Whether `count` (length, offset) pairs at `tableOffset`, and every string
// they name with the NUL that ends it, lie within the data: the format ends
// each string with a NUL that its length leaves out. 64-bit sums: a 32-bit
// offset plus length can wrap.
bool TableFits(std::string_view bytes, uint32_t count, uint32_t tableOffset) {
    const uint64_t size = bytes.size();
    if (uint64_t{tableOffset} + uint64_t{count} * 8 > size) return false;
    for (uint32_t i = 0; i < count; ++i) {
        size_t at = size_t{tableOffset} + size_t{i} * 8;
        uint64_t end = uint64_t{ReadU32(bytes.data(), at + 4)} + ReadU32(bytes.data(), at);
        if (end >= size || bytes[static_cast<size_t>(end)] != '\0') return false;
    }
    return true;
}

// String i of a table TableFits() has accepted, up to its first NUL (a plural
// entry stores its forms one after another; the first is the one used).
std::string_view TableString(std::string_view bytes, uint32_t tableOffset, uint32_t i) {
    size_t at = size_t{tableOffset} + size_t{i} * 8;
    return UpToNul(bytes.data() + ReadU32(bytes.data(), at + 4), ReadU32(bytes.data(), at));
}

// UTF-16 units of UTF-8 `text`, invalid sequences counted as U+FFFD; 0 for
// none. Into `out` when given.
int ToWide(std::string_view text, wchar_t* out, int room) {
    if (text.empty()) return 0;
    return ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out,
                                 room);
}

}  // namespace

void MoCatalog::Clear() {
    bytes_.Clear();
    entries_.Clear();
    texts_.Clear();
    lackedMemory_ = false;
}

bool MoCatalog::Parse(std::string_view bytes) {
    Clear();
    if (bytes.size() < kHeaderSize || bytes.size() > kMaxFileSize) return false;
    return Adopt(bytes, nullptr);
}

bool MoCatalog::LoadFile(const wchar_t* path) {
    Clear();
    win::ScopedHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < LONGLONG{kHeaderSize} ||
        size.QuadPart > LONGLONG{kMaxFileSize})
        return false;
    HeapArray<char> bytes;
    if (!bytes.Allocate(static_cast<size_t>(size.QuadPart))) {
        lackedMemory_ = true;
        return false;
    }
    DWORD read = 0;
    if (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read != bytes.size())
        return false;
    return Adopt({bytes.data(), bytes.size()}, &bytes);
}

// Checks `data` (at least the header's size) where it lies, so no check
// reads beyond it, then keeps it: `owned`, which holds it, when given, else a
// copy.
bool MoCatalog::Adopt(std::string_view data, HeapArray<char>* owned) {
    if (ReadU32(data.data(), 0) != kMagic) return false;
    // Major revisions 0 and 1 share this layout; a later one may not.
    if ((ReadU32(data.data(), 4) >> 16) > 1) return false;
    const uint32_t count = ReadU32(data.data(), 8);
    const uint32_t originalsAt = ReadU32(data.data(), 12);
    const uint32_t translationsAt = ReadU32(data.data(), 16);
    if (!TableFits(data, count, originalsAt) || !TableFits(data, count, translationsAt))
        return false;

    auto lackMemory = [this] {
        Clear();
        lackedMemory_ = true;
        return false;
    };
    if (!entries_.Allocate(count)) return lackMemory();
    for (uint32_t i = 0; i < count; ++i) {
        size_t at = size_t{originalsAt} + size_t{i} * 8;
        entries_[i] = {ReadU32(data.data(), at + 4), ReadU32(data.data(), at), kNoText};
    }
    for (size_t i = 1; i < count; ++i) {
        if (!(Original(data.data(), i - 1) < Original(data.data(), i))) {
            Clear();
            return false;
        }
    }
    if (!ConvertTranslations(data, translationsAt)) return lackMemory();
    if (owned) {
        bytes_ = std::move(*owned);
    } else if (bytes_.Allocate(data.size())) {
        std::memcpy(bytes_.data(), data.data(), data.size());
    } else {
        return lackMemory();
    }
    return true;
}

// All translations into one block, sized by a first pass. The block holds at
// most one unit per byte plus a NUL per entry, so its offsets fit 32 bits.
bool MoCatalog::ConvertTranslations(std::string_view data, uint32_t tableOffset) {
    const uint32_t count = static_cast<uint32_t>(entries_.size());
    size_t total = 0;
    for (uint32_t i = 0; i < count; ++i) {
        int length = ToWide(TableString(data, tableOffset, i), nullptr, 0);
        if (length > 0) total += static_cast<size_t>(length) + 1;
    }
    if (!texts_.Allocate(total)) return false;
    size_t at = 0;
    for (uint32_t i = 0; i < count; ++i) {
        std::string_view text = TableString(data, tableOffset, i);
        int length = ToWide(text, nullptr, 0);
        if (length <= 0) continue;
        ToWide(text, texts_.data() + at, length);
        entries_[i].text = static_cast<uint32_t>(at);
        at += static_cast<size_t>(length) + 1;  // the NUL is already there
    }
    return true;
}

std::string_view MoCatalog::Original(const char* data, size_t i) const {
    return UpToNul(data + entries_[i].offset, entries_[i].length);
}

const wchar_t* MoCatalog::Find(std::string_view key) const {
    // Entry 0 is the header, stored under the empty original.
    if (key.empty()) return nullptr;
    size_t low = 0, high = entries_.size();
    while (low < high) {
        size_t mid = low + (high - low) / 2;
        std::string_view original = Original(bytes_.data(), mid);
        if (original < key) {
            low = mid + 1;
        } else if (key < original) {
            high = mid;
        } else {
            uint32_t text = entries_[mid].text;
            return text == kNoText ? nullptr : texts_.data() + text;
        }
    }
    return nullptr;
}

}  // namespace lingua
