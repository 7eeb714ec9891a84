#include "schedule/sorted_lists.h"

#include <algorithm>

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

void SortNames(std::vector<std::string>& names) {
    std::stable_sort(names.begin(), names.end(), NameLessIgnoringCase);
}

}  // namespace kronvik
