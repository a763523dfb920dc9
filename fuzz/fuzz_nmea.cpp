// The NMEA log reader on any bytes, then both encoders; the same log cut in
// pieces reads the same.
#include "fuzz/fuzz_common.h"
#include "track/formats/nmea_reader.h"

using namespace tackedit;

std::vector<std::string> fuzz::Seeds()
{
    return {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
            "$GPRMC,000001.00,A,3512.3456,S,13945.6789,W,0.0,0.0,010210,,\r\n"
            "$GPRMC,000002,V,,,,,,,010210,,\r\n$GPGGA,000003,3512.3,N,13945.6,E,1,08,0.9,5.0,M,,,,*47\r\n",
            // Without RMC: fixes dated by ZDA, one before it, midnight between, damaged and cut sentences.
            "$GNGGA,235958.00,3516.8011,N,13932.9985,E,1,09,0.9,2.1,M,39.4,M,,*7A\r\n"
            "$GPZDA,235959.00,31,12,2019,00,00*6C\r\n"
            "$GNGNS,000000.00,3516.8031,S,13932.9985,W,AN,09,0.9,2.1,39.4,,,V*2C\r\n"
            "$GLGLL,3516.8041,N,13932.9985,E,000001.00,A,A*7F\r\n"
            "$GPGGA,000002.00,35x6.8,N,13932.9985,E,1,09,0.9,2.1,M,39.4,M,,*00\r\n"
            "$GPGLL,3516.8071,N,13932.9985,E,000004.00,V,N*7D\r\n"
            "$GPRMC,000005.00,V,,,,,,,010120,,,N*4B\r\n"
            "$GPGGA,000006.00,3516.80"};
}

namespace {

// What a read gives, to the bit.
std::string Outcome(std::string_view bytes, const PieceOptions& options)
{
    TrackStore store;
    std::string out;
    try {
        ParseNmeaLogInPieces(bytes, "fuzz.log", store, options);
    } catch (const DataError& e) {
        out = e.what();
    }
    out += '\n' + std::to_string(store.TrackCount) + '\n';
    for (std::int32_t i = 1; i <= store.TrackCount; ++i)
        for (const double v : {store.TrackTime[i], store.TrackLat[i], store.TrackLon[i]})
            out.append(reinterpret_cast<const char*>(&v), sizeof v);
    for (const std::string& note : store.ReadNotes)
        out += note + '\n';
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ReadThenEncode(data, size, [](std::string_view bytes, TrackStore& store) {
        ParseNmeaLog(bytes, "fuzz.log", store);
    });
    // Dates and damaged sentences run on from piece to piece: cut small, the
    // log must read as in one pass.
    const std::string_view bytes = fuzz::Bytes(data, size);
    fuzz::Check(Outcome(bytes, {16, 1}) == Outcome(bytes, {SIZE_MAX, 1}), "pieces read as one pass");
    return 0;
}
