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

uint32_t ReadU32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

// Reads `count` (length, offset) pairs at `tableOffset`, each string checked
// against the data size. 64-bit sums: a 32-bit offset plus length can wrap.
bool ReadTable(const std::string& bytes, uint32_t count, uint32_t tableOffset,
               std::vector<uint32_t>* lengths, std::vector<uint32_t>* offsets) {
    const uint64_t size = bytes.size();
    if (uint64_t{tableOffset} + uint64_t{count} * 8 > size) return false;
    lengths->resize(count);
    offsets->resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        size_t at = size_t{tableOffset} + size_t{i} * 8;
        uint32_t length = ReadU32(bytes, at);
        uint32_t offset = ReadU32(bytes, at + 4);
        if (uint64_t{offset} + uint64_t{length} > size) return false;
        (*lengths)[i] = length;
        (*offsets)[i] = offset;
    }
    return true;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
    if (text.empty()) return {};
    int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                          length);
    return wide;
}

std::string WideToUtf8(const wchar_t* text) {
    if (!text || !*text) return {};
    int length = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string narrow(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], length, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(length - 1));
    return narrow;
}

bool MoCatalog::Parse(std::string bytes) {
    bytes_.clear();
    originals_.clear();
    translations_.clear();
    if (bytes.size() < kHeaderSize || bytes.size() > kMaxFileSize) return false;

    if (ReadU32(bytes, 0) != kMagic) return false;
    // Major revisions 0 and 1 share this layout; a later one may not.
    if ((ReadU32(bytes, 4) >> 16) > 1) return false;
    uint32_t count = ReadU32(bytes, 8);
    uint32_t originalsAt = ReadU32(bytes, 12);
    uint32_t translationsAt = ReadU32(bytes, 16);

    std::vector<uint32_t> origLengths, origOffsets, transLengths, transOffsets;
    if (!ReadTable(bytes, count, originalsAt, &origLengths, &origOffsets) ||
        !ReadTable(bytes, count, translationsAt, &transLengths, &transOffsets))
        return false;

    bytes_ = std::move(bytes);
    originals_.resize(count);
    for (uint32_t i = 0; i < count; ++i) originals_[i] = {origOffsets[i], origLengths[i]};
    for (size_t i = 1; i < originals_.size(); ++i) {
        if (!(Original(i - 1) < Original(i))) {
            bytes_.clear();
            originals_.clear();
            return false;
        }
    }

    // Converted once, so lookups hand out pointers that never move.
    translations_.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        std::string_view text(bytes_.data() + transOffsets[i], transLengths[i]);
        translations_.push_back(Utf8ToWide(text.substr(0, text.find('\0'))));
    }
    return true;
}

bool MoCatalog::LoadFile(const std::wstring& path) {
    Parse({});
    win::ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > kMaxFileSize)
        return false;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!::ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size()))
        return false;
    return Parse(std::move(bytes));
}

std::string_view MoCatalog::Original(size_t i) const {
    std::string_view text(bytes_.data() + originals_[i].offset, originals_[i].length);
    return text.substr(0, text.find('\0'));
}

const std::wstring* MoCatalog::Find(const std::string& key) const {
    // Entry 0 is the header, stored under the empty original.
    if (key.empty()) return nullptr;
    size_t low = 0, high = originals_.size();
    while (low < high) {
        size_t mid = low + (high - low) / 2;
        std::string_view original = Original(mid);
        if (original < key) {
            low = mid + 1;
        } else if (key < original) {
            high = mid;
        } else {
            const std::wstring& text = translations_[mid];
            return text.empty() ? nullptr : &text;
        }
    }
    return nullptr;
}

}  // namespace lingua
