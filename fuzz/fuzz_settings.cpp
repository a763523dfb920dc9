// The settings file reader on any bytes. Whatever it reads and can write back
// reads again into the same list: the second write equals the first.
#include "external/settings.h"
#include "fuzz/fuzz_common.h"

using namespace tackedit;

namespace {

DownloadToolList FreshTools()
{
    DownloadToolList tools;
    tools.DownloadTools[0] = "/ws/GPSFETCH.exe";
    return tools;
}

} // namespace

std::vector<std::string> fuzz::Seeds()
{
    RaceSettings race;
    DownloadToolList tools = FreshTools();
    // Listed as the file would list them; registering would look for the programs.
    tools.DownloadTools[1] = "/opt/tools/fetch.exe";
    tools.DownloadTools[2] = "C:\\Program Files\\ｶｼｵ\\dl.EXE";
    tools.DownloadToolCount = 2;
    tools.SetAside = {"relative\\dl.exe"};
    return {EncodeSettings(race, tools), "LG,abc\r\nSOFT,/x.exe\r\nSOFT,/x.exe\r\nRUN,/y.exe\r\nsoft, /z.exe \r\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DownloadToolList tools = FreshTools();
    ParseSettingsFile(fuzz::Bytes(data, size), tools);
    fuzz::Check(tools.DownloadToolCount >= 0 && tools.DownloadToolCount <= DownloadToolList::kMaxTools,
                "at most ten registered tools");
    RaceSettings race;
    std::string first;
    try {
        first = EncodeSettings(race, tools);
    } catch (const DataError&) {
        return 0;  // a path Shift-JIS cannot hold is refused with a message
    }
    DownloadToolList again = FreshTools();
    ParseSettingsFile(first, again);
    fuzz::Check(EncodeSettings(race, again) == first, "the second write equals the first");
    return 0;
}
