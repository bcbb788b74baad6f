#include "store/record_compare.hpp"

namespace recdb {

int compareNames(std::string_view a, std::string_view b) {
    // char_traits<char> compares as unsigned char, the required byte order.
    const int difference = a.compare(b);
    return (difference > 0) - (difference < 0);
}

int compareByName(const Record& a, const Record& b) { return compareNames(a.nameView(), b.nameView()); }

int compareByRating(const Record& a, const Record& b) {
    const int primary = compareRatings(a.ratingNum, a.ratingDen, b.ratingNum, b.ratingDen);
    return primary != 0 ? primary : 2 * compareByName(a, b);
}

int compareByGroup(const Record& a, const Record& b) {
    if (a.group != b.group) {
        return a.group > b.group ? 1 : -1;
    }
    return 2 * compareByName(a, b);
}

}  // namespace recdb
