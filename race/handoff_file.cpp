#include "race/handoff_file.h"

#include "platform/text_codec.h"
#include "base/data_error.h"

namespace tackedit {

std::string EncodeHandoffFile(const std::string& text, const std::string& path)
{
    std::string bad;
    const auto bytes = Utf8ToCp932(text + "\r\n", &bad);
    if (!bytes)
        throw DataError(path, 0, text,
                        "the race file name '" + text + "' contains '" + bad +
                            "', which cannot be stored in the file that tells the viewer which race to show");
    return *bytes;
}

Handoff ParseHandoffFile(std::string_view bytes)
{
    Handoff handoff;
    std::string line = Cp932ToUtf8(bytes);
    line = line.substr(0, line.find_first_of("\r\n"));
    line.erase(0, line.find_first_not_of(" \t"));
    line.erase(line.find_last_not_of(" \t") + 1);
    if (line.size() > 2 && line.ends_with("_b")) {
        handoff.edit_mode = false;
        line.resize(line.size() - 2);
    }
    handoff.race_file = line;
    return handoff;
}

} // namespace tackedit
