#pragma once
// Seeded mutation for the fuzz tests, replayed exactly from a seed; the test's
// environment may set FARLINK_FUZZ_SEED and FARLINK_FUZZ_ITERATIONS (fuzz.sh).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace tst {

class Mutator {
public:
    // `salt` gives each reader its own stream; from here on a crash names its round.
    explicit Mutator(uint64_t salt) : state_((Seed() ^ salt) * 0x9E3779B97F4A7C15ull | 1) {
        Round() = -1;
        ::SetUnhandledExceptionFilter(&NameTheRound);
    }
    // WINAPI: on i686 a lambda would be cdecl, which the filter type is not.
    static LONG WINAPI NameTheRound(EXCEPTION_POINTERS*) {
        return std::fprintf(stderr, "fuzz: crash in round %d of seed %llu\n", Round(), Seed()), EXCEPTION_CONTINUE_SEARCH;
    }
    static unsigned long long Setting(const wchar_t* name, int fallback) {
        return ::_wgetenv(name) ? std::wcstoull(::_wgetenv(name), nullptr, 0) : fallback;
    }
    static unsigned long long Seed() { return Setting(L"FARLINK_FUZZ_SEED", 1); }
    static int Rounds(int fallback) { return int(Setting(L"FARLINK_FUZZ_ITERATIONS", fallback)); }
    static int& Round() { static int round = -1; return round; }
    size_t Below(size_t n) {  // xorshift64
        state_ ^= state_ << 13, state_ ^= state_ >> 7, state_ ^= state_ << 17;
        return n ? size_t(state_ >> 16) % n : 0;
    }

    // A round: one to four edits, each starting below `span`: a bit flip, a
    // unit set to a telling value or one from elsewhere, a 32-bit length or
    // offset set to zero, around the size or next to its old value, a slice
    // spliced in or cut out, or the rest cut off.
    template <typename Text>
    void Mutate(Text& s, size_t span) {
        using Unit = typename Text::value_type;
        ++Round();
        for (size_t edits = 1 + Below(4); edits > 0; --edits) {
            const size_t n = s.size(), at = Below(std::min(span, n) + 1), len = 1 + Below(16);
            const size_t what = at < n ? Below(7) : 6, byte = at * sizeof(Unit) / 4 * 4;
            const Unit units[] = {0, 1, '\'', '%', '{', '}', Unit(0x7F), Unit(~0u)};
            if (what == 0) s[at] ^= Unit(1u << Below(8 * sizeof(Unit)));
            if (what == 1) s[at] = Below(2) ? units[Below(8)] : s[Below(n)];
            if (what == 2 && byte + 4 <= n * sizeof(Unit)) {
                uint32_t old = 0, size = uint32_t(n * sizeof(Unit)), *field = reinterpret_cast<uint32_t*>(&s[0]) + byte / 4;
                std::memcpy(&old, field, 4);
                const uint32_t values[] = {0, size - 1, size, size + 1, ~0u, old - 1, old + 1, old + 8};
                std::memcpy(field, &values[Below(8)], 4);
            }
            if (what == 3) s.insert(at, s.substr(Below(n), len));
            if (what == 4) s.replace(at, len, s.substr(Below(n), len));
            if (what == 5) s.erase(at, len);
            if (what == 6) s.resize(at);
        }
    }

private:
    uint64_t state_;
};

// `bytes` (up to 64 KB, until the next call) at the very end of committed
// memory with a no-access page after them: a read past their end faults.
inline std::string_view Guarded(const std::string& bytes) {
    constexpr size_t kRoom = 64 * 1024;
    static char* const room = [] {
        char* base = static_cast<char*>(::VirtualAlloc(nullptr, kRoom + 4096, MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        return ::VirtualProtect(base + kRoom, 4096, PAGE_NOACCESS, &old), base;
    }();
    const size_t n = std::min(bytes.size(), kRoom);
    return {static_cast<char*>(std::memcpy(room + kRoom - n, bytes.data(), n)), n};
}

}  // namespace tst
