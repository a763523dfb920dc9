// The NMEA log reader on any bytes, then both encoders.
#include "fuzz/fuzz_common.h"

using namespace tackedit;

std::vector<std::string> fuzz::Seeds()
{
    return {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
            "$GPRMC,000001.00,A,3512.3456,S,13945.6789,W,0.0,0.0,010210,,\r\n"
            "$GPRMC,000002,V,,,,,,,010210,,\r\n$GPGGA,000003,3512.3,N,13945.6,E,1,08,0.9,5.0,M,,,,*47\r\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::ReadThenEncode(data, size, [](std::string_view bytes, TrackStore& store) {
        ParseNmeaLog(bytes, "fuzz.log", store);
    });
}
