#pragma once

#include <string>
#include <vector>

namespace tackedit {

class InstalledFonts {
public:
    virtual ~InstalledFonts() = default;
    virtual std::vector<std::string> FontFamilies() = 0;
};

} // namespace tackedit
