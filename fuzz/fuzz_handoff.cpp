// The hand-off file as the viewer reads it, and as the editor writes it: what
// one reads, the other writes back to the same race and mode.
#include "fuzz/fuzz_common.h"
#include "race/handoff_file.h"

using namespace tackedit;

std::vector<std::string> fuzz::Seeds()
{
    return {EncodeHandoffFile("race1.txt", "seed"), EncodeHandoffFile("相模湾.txt_b", "seed"), "  x_b \r\nmore\r\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Handoff read = ParseHandoffFile(fuzz::Bytes(data, size));
    if (read.race_file.empty())
        return 0;
    std::string written;
    try {
        written = EncodeHandoffFile(read.edit_mode ? read.race_file : read.race_file + "_b", "editfile.edt");
    } catch (const DataError&) {
        return 0;  // bytes that did not decode are no name the editor could write
    }
    const Handoff again = ParseHandoffFile(written);
    fuzz::Check(again.race_file == read.race_file && again.edit_mode == read.edit_mode,
                "the written hand-off names the same race and mode");
    return 0;
}
