#include "base/field_splitter.h"

#include "base/numbers.h"

namespace tackedit {

void FieldSplitter::SplitFields(std::string_view line, char separator)
{
    for (int i = 0; i < 10; ++i)
        fields_[static_cast<std::size_t>(i)].clear();
    std::string_view rest = line;
    int i = 0;
    std::size_t p = rest.find(separator);
    while (p != std::string_view::npos) {
        if (i < kSlots)
            fields_[static_cast<std::size_t>(i)].assign(TrimBlanks(rest.substr(0, p)));
        rest = TrimBlanks(rest.substr(p + 1, kRestLimit));
        ++i;
        p = rest.find(separator);
    }
    if (i < kSlots)
        fields_[static_cast<std::size_t>(i)].assign(TrimBlanks(rest));
    FieldCount = i + 1 < kSlots ? i + 1 : kSlots;
}

} // namespace tackedit
