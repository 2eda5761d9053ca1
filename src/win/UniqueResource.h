#pragma once
// The one owner behind every handle-like resource of the program: a plain
// value that one call gives back. Traits say what the value is and how it goes:
//
//   struct Traits {
//       using Type = HANDLE;
//       static Type InvalidValue();        // "holds nothing"
//       static Type OtherInvalidValue();   // optional: a second such value
//       static void Free(Type value);      // only ever called with a valid value
//   };
//
// Free may also be a non-static member: the traits object is then kept beside
// the value (for a free function that is known only at run time).
#include <type_traits>
#include <utility>

namespace win {

namespace detail {

template <typename Traits, typename = void>
struct HasOtherInvalidValue : std::false_type {};
template <typename Traits>
struct HasOtherInvalidValue<Traits, std::void_t<decltype(Traits::OtherInvalidValue())>>
    : std::true_type {};

}  // namespace detail

// Private base: traits without state take no room.
template <typename Traits>
class UniqueResource : private Traits {
public:
    using Type = typename Traits::Type;

    UniqueResource() = default;
    // Takes ownership of `value`.
    explicit UniqueResource(Type value) : value_(value) {}
    UniqueResource(Type value, Traits traits) : Traits(std::move(traits)), value_(value) {}
    ~UniqueResource() { Reset(); }

    UniqueResource(UniqueResource&& other) noexcept
        : Traits(std::move(other.traits())), value_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
            traits() = std::move(other.traits());
        }
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    Type Get() const { return value_; }
    bool IsValid() const { return IsValidValue(value_); }
    explicit operator bool() const { return IsValid(); }

    // Frees what is held (unless it is `value` itself) and keeps `value`.
    void Reset(Type value = Traits::InvalidValue()) {
        Type old = std::exchange(value_, value);
        if (old != value && IsValidValue(old)) traits().Free(old);
    }
    // Gives up ownership without freeing.
    Type Release() { return std::exchange(value_, Traits::InvalidValue()); }
    // For out-parameters: frees what is held, then hands out the slot.
    Type* Put() {
        Reset();
        return &value_;
    }

private:
    static bool IsValidValue(Type value) {
        if (value == Traits::InvalidValue()) return false;
        if constexpr (detail::HasOtherInvalidValue<Traits>::value)
            return value != Traits::OtherInvalidValue();
        return true;
    }
    Traits& traits() { return *this; }

    Type value_ = Traits::InvalidValue();
};

}  // namespace win
