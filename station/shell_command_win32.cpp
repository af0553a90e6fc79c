// placeholder until the Win32 adapter lands
#include "station/shell_command.h"

namespace tovrel {

CommandOutcome RunShellCommand(const std::string&,
                               const std::vector<std::pair<std::string, std::string>>&,
                               std::chrono::milliseconds, const std::function<bool()>&) {
    CommandOutcome outcome;
    outcome.startProblem = "not available in this build yet";
    return outcome;
}

}  // namespace tovrel
