#include "store/record_compare.hpp"

namespace recdb {

Relation compareByName(const Record& a, const Record& b) { return compareNames(a.nameView(), b.nameView()); }

Relation compareByRating(const Record& a, const Record& b) {
    const Relation primary = compareRatings(a.ratingNum, a.ratingDen, b.ratingNum, b.ratingDen);
    return primary != Relation::Same ? primary : asNameTie(compareByName(a, b));
}

Relation compareByGroup(const Record& a, const Record& b) {
    if (a.group != b.group) {
        return a.group < b.group ? Relation::Below : Relation::Above;
    }
    return asNameTie(compareByName(a, b));
}

}  // namespace recdb
