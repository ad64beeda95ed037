// Sets of the values of an enumeration, and the platform flags that stand for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

// A set of the values of TEnum, which run from 0, held in the bits of TBits: bit n stands for
// the value n. A set converts from its bit pattern (0 is the empty set) and, by an explicit cast,
// to it; a value alone is written {value}, never as a number.
template <typename TEnum, typename TBits = std::uint32_t>
class TSet {
    static_assert(std::is_enum_v<TEnum> && std::is_unsigned_v<TBits>, "enumeration values in unsigned bits");

public:
    using Element = TEnum;

    constexpr TSet() = default;
    constexpr TSet(TBits bits) : FBits(bits) {}
    constexpr TSet(std::initializer_list<TEnum> values)
    {
        for (TEnum value : values)
            FBits |= Bit(value);
    }
    TSet(TEnum) = delete;

    static constexpr TSet FromBits(TBits bits) { return TSet(bits); }
    // The bit of `value` alone.
    static constexpr TBits Bit(TEnum value) { return static_cast<TBits>(TBits(1) << static_cast<unsigned>(value)); }

    constexpr TBits Bits() const { return FBits; }
    template <typename TInteger, typename = std::enable_if_t<std::is_integral_v<TInteger>>>
    explicit constexpr operator TInteger() const
    {
        return static_cast<TInteger>(FBits);
    }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr bool Contains(TEnum value) const { return (FBits & Bit(value)) != 0; }
    constexpr TSet& Include(TEnum value)
    {
        FBits |= Bit(value);
        return *this;
    }
    constexpr TSet& Exclude(TEnum value)
    {
        FBits &= static_cast<TBits>(~Bit(value));
        return *this;
    }
    constexpr TSet& operator|=(TSet other)
    {
        FBits |= other.FBits;
        return *this;
    }

    friend constexpr TSet operator|(TSet a, TSet b) { return a |= b; }
    friend constexpr TSet operator&(TSet a, TSet b) { return FromBits(static_cast<TBits>(a.FBits & b.FBits)); }
    friend constexpr bool operator==(TSet a, TSet b) { return a.FBits == b.FBits; }
    friend constexpr bool operator!=(TSet a, TSet b) { return a.FBits != b.FBits; }

private:
    TBits FBits = 0;
};

// One value of a set's enumeration and the platform flag that stands for it.
template <typename TSetType, typename TFlags>
struct TSetFlag {
    typename TSetType::Element Value;
    TFlags Flag;
};

// The flags of the values of `set` that `table` names; values without an entry give none.
template <typename TSetType, typename TFlags, std::size_t N>
constexpr TFlags SetToFlags(TSetType set, const TSetFlag<TSetType, TFlags> (&table)[N])
{
    TFlags flags = 0;
    for (const TSetFlag<TSetType, TFlags>& entry : table) {
        if (set.Contains(entry.Value))
            flags |= entry.Flag;
    }
    return flags;
}

// The values whose flag `flags` holds; flags without an entry in `table` are dropped.
template <typename TSetType, typename TFlags, std::size_t N>
constexpr TSetType FlagsToSet(TFlags flags, const TSetFlag<TSetType, TFlags> (&table)[N])
{
    TSetType set;
    for (const TSetFlag<TSetType, TFlags>& entry : table) {
        if ((flags & entry.Flag) != 0)
            set.Include(entry.Value);
    }
    return set;
}
