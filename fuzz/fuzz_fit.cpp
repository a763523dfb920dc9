// The FIT reader on any bytes, then both encoders.
#include "fuzz/fuzz_common.h"
#include "track/formats/fit_reader.h"
#include "tests/fit_encoder.h"

using namespace tackedit;
using fixtures::FitEncoder;

std::vector<std::string> fuzz::Seeds()
{
    // Every record form the reader follows, two files chained.
    FitEncoder fit;
    fit.Define(0, 0, {{0, 1}, {4, 4}});
    fit.Data(0, {4, 123});
    fit.Define(1, 20, {{253, 4}, {0, 4}, {1, 4}, {2, 2}}, false, {3, 1});
    fit.Data(1, {1087376400, 0xEFC99580, 0xE15D8780, 10});
    fit.Data(1, {1087376401, 0x7FFFFFFF, 0x7FFFFFFF, 10});
    fit.Define(1, 20, fixtures::kFitRecordFields, true);
    fit.Data(1, {1087376402, 650000000, 1610000000});
    fit.Define(2, 20, {{0, 4}, {1, 4}});
    fit.Data(2, {1, 2}, 20);
    fit.Data(2, {3, 4}, 3);
    FitEncoder next;
    next.Define(15, 20, fixtures::kFitRecordFields);
    next.Data(15, {1087376500, 5, 6});
    return {fit.File(12) + next.File(14), next.File()};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::ReadThenEncode(data, size, [](std::string_view bytes, TrackStore& store) {
        ParseFitTrack(bytes, "fuzz.fit", store);
    });
}
