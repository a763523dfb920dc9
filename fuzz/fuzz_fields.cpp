// SplitFields on any lines (the first byte is the separator), one splitter
// reused from line to line as the readers do.
#include "fuzz/fuzz_common.h"
#include "base/field_splitter.h"
#include "base/numbers.h"

using namespace tackedit;

std::vector<std::string> fuzz::Seeds()
{
    return {",BN, boat1.gpx ,Alpha,0.9\nCRS,S,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,F\nT1,x",
            " T N351220.7  E1394540.2 2010/05/03 01:02:04 x\n\tH DMS"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const char separator = static_cast<char>(data[0]);
    std::string_view rest = fuzz::Bytes(data + 1, size - 1);
    FieldSplitter fields;
    while (true) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        fields.SplitFields(line, separator);
        fuzz::Check(fields.FieldCount >= 1 && fields.FieldCount <= FieldSplitter::kSlots, "field count in range");
        for (int i = 0; i < fields.FieldCount; ++i) {
            fuzz::Check(TrimBlanks(fields[i]) == fields[i], "fields are trimmed");
            fuzz::Check(fields[i].find(separator) == std::string::npos, "no field holds the separator");
        }
        fuzz::Check(fields[0] == TrimBlanks(line.substr(0, line.find(separator))), "field 0 is the text before");
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return 0;
}
