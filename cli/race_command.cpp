#include "cli/cli_common.h"

namespace tackedit::cli {

int Race(const std::vector<std::string>&)
{
    return Fail("the race command is not available yet");
}

} // namespace tackedit::cli
