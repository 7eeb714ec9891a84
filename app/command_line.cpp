#include "app/command_line.h"

namespace kronvik {

std::vector<std::string> SplitArguments(std::string_view command_line) {
    std::vector<std::string> arguments;
    std::string current;
    bool in_argument = false;
    bool quoted = false;
    for (const char c : command_line) {
        if (c == '"') {
            quoted = !quoted;
            in_argument = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (in_argument) arguments.push_back(std::move(current));
            current.clear();
            in_argument = false;
        } else {
            current += c;
            in_argument = true;
        }
    }
    if (in_argument) arguments.push_back(std::move(current));
    return arguments;
}

bool IsUninstallRequest(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) return false;
    std::string_view argument = arguments.front();
    if (!argument.empty() && (argument.front() == '/' || argument.front() == '-')) {
        argument.remove_prefix(1);
    }
    return argument == "DEL" || argument == "del";
}

}  // namespace kronvik
