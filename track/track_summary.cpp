#include "track/track_summary.h"

#include "track/parallel_parse.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tackedit {

namespace {

// Each leg is measured with the cosine of its mean latitude rounded to a
// hundredth of a minute (a relative error below 1e-8). The cosine comes from
// its series, exact to double precision up to the poles, so that pairs of legs
// can be measured at once with the same result as one at a time.
constexpr double kMinutesToRadians = M_PI / 180 / 60;
constexpr double kCosineTerms[] = {1.0,
                                   -1.0 / 2,
                                   1.0 / 24,
                                   -1.0 / 720,
                                   1.0 / 40320,
                                   -1.0 / 3628800,
                                   1.0 / 479001600,
                                   -1.0 / 87178291200.0,
                                   1.0 / 20922789888000.0,
                                   -1.0 / 6402373705728000.0,
                                   1.0 / 2432902008176640000.0};
// Rounds to a whole number, halves to even, below 2^51 (adding and taking away
// 1.5 * 2^52 leaves only the whole part).
constexpr double kRoundingShift = 6755399441055744.0;
// Mean latitudes beyond the poles (in hundredths of a minute) take the library.
constexpr double kPole = 540000;

template <class V>
V Splat(double x)
{
    if constexpr (std::is_same_v<V, double>)
        return x;
    else
        return V{x, x};
}

// The series in x^2 in a short tree rather than one long chain (Estrin's
// scheme), the same steps for one value or two.
template <class V>
V SeriesCosine(V x)
{
    const auto c = [](int k) { return Splat<V>(kCosineTerms[k]); };
    const V y = x * x, y2 = y * y, y4 = y2 * y2, y8 = y4 * y4;
    const V q0 = (c(0) + c(1) * y) + (c(2) + c(3) * y) * y2;
    const V q1 = (c(4) + c(5) * y) + (c(6) + c(7) * y) * y2;
    const V q2 = (c(8) + c(9) * y) + c(10) * y2;
    return (q0 + q1 * y4) + q2 * y8;
}

// The length of the leg from point i - 1 to point i, in nautical miles.
double LegLength(const double* lat, const double* lon, std::size_t i)
{
    const double dlat = lat[i] - lat[i - 1];
    double dlon = lon[i] - lon[i - 1];
    // A leg across the 180th meridian is the short way round.
    if (std::fabs(dlon) > 10800)
        dlon -= std::copysign(21600.0, dlon);
    const double x = (lat[i] + lat[i - 1]) * 0.5 * 100;
    if (std::fabs(x) < kPole) {
        const double key = (x + kRoundingShift) - kRoundingShift;
        dlon *= SeriesCosine(key * (kMinutesToRadians / 100));
    } else {
        dlon *= std::cos(std::nearbyint(x) * (kMinutesToRadians / 100));
    }
    return std::sqrt(dlat * dlat + dlon * dlon);
}

// The extent of points [from, to) and the length of the legs that end at them.
struct Stretch {
    double south, north, west, east, distance;
};

// The legs' lengths are summed in four sums by their place modulo 4, whether
// two are measured at once or one at a time.
Stretch SummarizeStretch(const double* lat, const double* lon, std::size_t from, std::size_t to)
{
    double south[2] = {lat[from], lat[from]}, north[2] = {lat[from], lat[from]};
    double west[2] = {lon[from], lon[from]}, east[2] = {lon[from], lon[from]};
    double sums[4] = {0, 0, 0, 0};
    std::size_t i = from;
#if defined(__SSE2__)
    __m128d vsouth = _mm_loadu_pd(south), vnorth = vsouth, vwest = _mm_loadu_pd(west), veast = vwest;
    __m128d even = _mm_setzero_pd(), odd = _mm_setzero_pd();  // sums 0 and 1, sums 2 and 3
    const __m128d half = _mm_set1_pd(0.5), hundred = _mm_set1_pd(100), shift = _mm_set1_pd(kRoundingShift);
    const __m128d pole = _mm_set1_pd(kPole), sign = _mm_set1_pd(-0.0), across = _mm_set1_pd(10800);
    const __m128d round = _mm_set1_pd(21600), scale = _mm_set1_pd(kMinutesToRadians / 100);
    // A key never equals NaN, so the first pair computes its cosines.
    __m128d last_key = _mm_set1_pd(std::numeric_limits<double>::quiet_NaN()), last_cosine = _mm_setzero_pd();
    bool first_pair = true;  // the pair that adds to sums 0 and 1
    for (; i + 2 <= to; i += 2) {
        const __m128d a = _mm_loadu_pd(lat + i), b = _mm_loadu_pd(lat + i - 1);
        const __m128d x = _mm_mul_pd(_mm_mul_pd(_mm_add_pd(a, b), half), hundred);
        __m128d length;
        if (_mm_movemask_pd(_mm_cmplt_pd(_mm_andnot_pd(sign, x), pole)) == 3) {
            const __m128d key = _mm_sub_pd(_mm_add_pd(x, shift), shift);
            // Neighbouring legs mostly share their rounded mean latitude.
            if (_mm_movemask_pd(_mm_cmpeq_pd(key, last_key)) != 3) {
                last_key = key;
                last_cosine = SeriesCosine(_mm_mul_pd(key, scale));
            }
            const __m128d c = last_cosine;
            const __m128d c_lon = _mm_loadu_pd(lon + i);
            const __m128d d = _mm_sub_pd(c_lon, _mm_loadu_pd(lon + i - 1));
            const __m128d wrap = _mm_and_pd(_mm_cmpgt_pd(_mm_andnot_pd(sign, d), across),
                                            _mm_or_pd(round, _mm_and_pd(sign, d)));
            const __m128d dlon = _mm_mul_pd(_mm_sub_pd(d, wrap), c);
            const __m128d dlat = _mm_sub_pd(a, b);
            length = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(dlat, dlat), _mm_mul_pd(dlon, dlon)));
        } else {
            length = _mm_set_pd(LegLength(lat, lon, i + 1), LegLength(lat, lon, i));
        }
        if (first_pair)
            even = _mm_add_pd(even, length);
        else
            odd = _mm_add_pd(odd, length);
        first_pair = !first_pair;
        const __m128d la = a, lo = _mm_loadu_pd(lon + i);
        vsouth = _mm_min_pd(la, vsouth);
        vnorth = _mm_max_pd(la, vnorth);
        vwest = _mm_min_pd(lo, vwest);
        veast = _mm_max_pd(lo, veast);
    }
    _mm_storeu_pd(sums, even);
    _mm_storeu_pd(sums + 2, odd);
    _mm_storeu_pd(south, vsouth);
    _mm_storeu_pd(north, vnorth);
    _mm_storeu_pd(west, vwest);
    _mm_storeu_pd(east, veast);
#endif
    for (; i < to; ++i) {
        sums[(i - from) % 4] += LegLength(lat, lon, i);
        south[0] = std::min(south[0], lat[i]);
        north[0] = std::max(north[0], lat[i]);
        west[0] = std::min(west[0], lon[i]);
        east[0] = std::max(east[0], lon[i]);
    }
    return {std::min(south[0], south[1]), std::max(north[0], north[1]), std::min(west[0], west[1]),
            std::max(east[0], east[1]), (sums[0] + sums[1]) + (sums[2] + sums[3])};
}

} // namespace

TrackSummary SummarizeTrack(const TrackStore& store)
{
    TrackSummary s;
    s.count = store.TrackCount;
    if (s.count <= 0)
        return s;
    s.first_time = store.TrackTime[1];
    s.last_time = store.TrackTime[store.TrackCount];
    const double* lat = store.TrackLat.data();
    const double* lon = store.TrackLon.data();
    s.south = s.north = lat[1];
    s.west = s.east = lon[1];
    // The legs are summed in blocks of a fixed length, block sums in order,
    // so the length does not depend on how many threads shared the work.
    constexpr std::size_t kBlock = std::size_t{1} << 16;
    const std::size_t legs = static_cast<std::size_t>(s.count) - 1;
    const std::size_t blocks = (legs + kBlock - 1) / kBlock;
    std::vector<Stretch> stretches(blocks);
    ShareChunks(blocks, [&](std::size_t b) {
        stretches[b] = SummarizeStretch(lat, lon, 2 + b * kBlock, 2 + std::min(legs, (b + 1) * kBlock));
    });
    for (const Stretch& stretch : stretches) {
        s.south = std::min(s.south, stretch.south);
        s.north = std::max(s.north, stretch.north);
        s.west = std::min(s.west, stretch.west);
        s.east = std::max(s.east, stretch.east);
        s.distance += stretch.distance;
    }
    return s;
}

} // namespace tackedit
