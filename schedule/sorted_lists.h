#pragma once
// The order of the schedule's names: the date key names, and each day's
// value names.
#include <string>
#include <vector>

namespace kronvik {

// Sorts names in ascending order, comparing without regard to ASCII case as
// the platform's sorted list box does; names that compare equal keep the
// order they came in.
void SortNames(std::vector<std::string>& names);

// Orders two names as the sorted list does: byte by byte with ASCII letters
// folded to lower case; a proper prefix comes first.
bool NameLessIgnoringCase(const std::string& a, const std::string& b);

}  // namespace kronvik
