#pragma once
// The sorted name lists of the schedule load: one for the date key names and
// one per day slot for that day's value names.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace kronvik {

// A list kept in ascending order, comparing without regard to ASCII case as
// the platform's sorted list box does. A name equal to ones already listed goes
// after them.
class SortedNameList {
public:
    void Insert(std::string name);
    void Clear() { items_.clear(); }
    std::size_t Count() const { return items_.size(); }
    const std::vector<std::string>& Items() const { return items_; }

private:
    std::vector<std::string> items_;
};

// Orders two names as the sorted list does: byte by byte with ASCII letters
// folded to lower case; a proper prefix comes first.
bool NameLessIgnoringCase(const std::string& a, const std::string& b);

inline constexpr std::size_t kSlotNameListCount = 14;

struct ScheduleNameLists {
    SortedNameList keys;                                     // date key names
    std::array<SortedNameList, kSlotNameListCount> values;  // value names of day slot 0..13
};

}  // namespace kronvik
