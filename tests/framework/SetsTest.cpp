#include "framework/Sets.h"

#include <cstdint>

namespace {

enum TShade : std::uint8_t { shRed, shGreen, shBlue, shGrey = 9 };
using TShades = TSet<TShade, std::uint16_t>;

// Green and grey have no flag.
constexpr TSetFlag<TShades, unsigned> ShadeFlags[] = {{shRed, 0x10}, {shBlue, 0x400}};

constexpr TShades Without(TShades set, TShade shade)
{
    return set.Exclude(shade);
}

static_assert(TShades{shGreen, shGrey}.Bits() == 0x0202 && TShades::FromBits(0x0005) == TShades{shRed, shBlue});
static_assert(TShades().Empty() && TShades(0) == TShades() && TShades{} != TShades{shRed});
static_assert(Without({shRed, shBlue}, shRed) == TShades{shBlue} && Without({shBlue}, shRed) == TShades{shBlue});
static_assert((TShades{shRed} | TShades{shGrey}).Contains(shGrey) && !TShades{shRed}.Contains(shGreen));
static_assert((TShades{shRed, shBlue} & TShades{shBlue, shGrey}) == TShades{shBlue} && int(TShades{shGrey}) == 0x200);
static_assert(!TShades{} && TShades{shRed} && TShades(0x0001) == TShades{shRed});
static_assert(SetToFlags(TShades{shRed, shGreen, shBlue}, ShadeFlags) == 0x410);
static_assert(FlagsToSet(0x411u, ShadeFlags) == TShades{shRed, shBlue});

}  // namespace
