#pragma once

// The speed above which a step between two fixes is a GPS jump, not sailing:
// one limit for the race check, the editor's automatic editing and the
// analysis, so that the three agree on which fixes are wrong. Dinghies and
// keelboats rarely pass 25 to 30 knots and a GPS jump implies hundreds, so a
// limit above any boat's speed costs no real fix and still catches every jump.

namespace tackedit {

inline constexpr double kJumpKnots = 40;

} // namespace tackedit
