#pragma once
// The command line: only the uninstall argument has a meaning.
#include <string>
#include <vector>

namespace kronvik {

// Exactly one argument that, after one leading '/' or '-' is removed, is "DEL"
// or "del". A substring test would wipe a user's data for an innocent file name.
bool IsUninstallRequest(const std::vector<std::string>& arguments);

}  // namespace kronvik
