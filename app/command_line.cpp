#include "app/command_line.h"

#include <string_view>

namespace kronvik {

bool IsUninstallRequest(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) return false;
    std::string_view argument = arguments.front();
    if (!argument.empty() && (argument.front() == '/' || argument.front() == '-')) {
        argument.remove_prefix(1);
    }
    return argument == "DEL" || argument == "del";
}

}  // namespace kronvik
