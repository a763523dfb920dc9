#include "cli/cli_common.h"

namespace tackedit::cli {

int Clean(const std::vector<std::string>&)
{
    return Fail("the clean command is not available yet");
}

} // namespace tackedit::cli
