#pragma once

// The coordinate texts nearly every track writes (a hemisphere letter, digits,
// a point, digits), read inline: the text readers spend much of their time
// here. The value is the one ParseCoordinate gives, by the same steps in
// extended precision.

#include "base/numbers.h"
#include "track/formats/format_common.h"

#include <string_view>

namespace tackedit {

// True with the value in minutes of arc; false for any text of another shape,
// which ParseCoordinate then reads (or refuses). `number` is the text after
// the hemisphere letter.
inline bool QuickCoordinate(char letter, std::string_view number, int style, double& minutes)
{
    PlainDecimal d;
    if (!ReadPlainDecimal(number, d))
        return false;
    long double value;
    switch (style) {
    case CoordDegrees:
        // ParseReal's own shortcut, for texts of up to 19 characters.
        if (number.size() > 19)
            return false;
        value = ScaledDecimal(d.whole * PowerOfTenInteger(d.fraction_digits) + d.fraction, d.fraction_digits) * 60;
        break;
    case CoordDegreesMinutes:
        // ddmm.mmm: the two digits before the point and what follows are minutes.
        if (d.whole_digits < 3)
            return false;
        value = static_cast<long double>(d.whole / 100) * 60 +
                ScaledDecimal(d.whole % 100 * PowerOfTenInteger(d.fraction_digits) + d.fraction, d.fraction_digits);
        break;
    case CoordDegreesMinutesSeconds:
        // ddmmss.s: two digits of minutes, then the seconds with their decimals.
        if (d.whole_digits < 5)
            return false;
        value = static_cast<long double>(d.whole / 10000) * 60 + static_cast<long double>(d.whole / 100 % 100) +
                ScaledDecimal(d.whole % 100 * PowerOfTenInteger(d.fraction_digits) + d.fraction, d.fraction_digits) /
                    60;
        break;
    default:
        return false;
    }
    if (letter == 'S' || letter == 'W')
        value = -value;
    minutes = static_cast<double>(value);
    return true;
}

} // namespace tackedit
