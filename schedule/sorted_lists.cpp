#include "schedule/sorted_lists.h"

#include <algorithm>
#include <utility>

namespace kronvik {
namespace {

unsigned char FoldAscii(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

}  // namespace

bool NameLessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](char x, char y) { return FoldAscii(x) < FoldAscii(y); });
}

void SortedNameList::Insert(std::string name) {
    // upper_bound: after every name that compares equal.
    const auto pos = std::upper_bound(items_.begin(), items_.end(), name, NameLessIgnoringCase);
    items_.insert(pos, std::move(name));
}

}  // namespace kronvik
