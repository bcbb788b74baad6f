// The ordered index against the literal rendering of the tree rules, on
// operations decoded from arbitrary bytes: the first byte sets how long a
// plain chain may be walked, then each pair of bytes inserts a record (name
// from a small alphabet, so that names repeat, and one of a few ratings) or
// removes one. At the end both trees must have the same shape and colours,
// and the index must pass its invariant check.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "index/ordered_index.hpp"
#include "reference_tree.hpp"
#include "test_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace recdb;
    if (size < 1) {
        return 0;
    }
    const unsigned limit = data[0] % 20;
    const IndexOrder order = data[0] & 0x80 ? IndexOrder::ByRating : IndexOrder::ByName;
    RecordStore store;
    OrderedIndex index(order, store, limit);
    testing::ReferenceTree reference(
        [&store, order](RecordId a, RecordId b) { return testing::compareStored(store, order, a, b); });
    std::vector<RecordId> present;
    for (std::size_t at = 1; at + 1 < size; at += 2) {
        const std::uint8_t operation = data[at];
        const std::uint8_t value = data[at + 1];
        if ((operation & 3) == 0 && !present.empty()) {
            const std::size_t which = value % present.size();
            index.remove(present[which]);
            reference.remove(present[which]);
            store.erase(present[which]);
            present.erase(present.begin() + static_cast<std::ptrdiff_t>(which));
        } else {
            const std::string name(1 + value % 3, static_cast<char>('a' + (value >> 2) % 16));
            const RecordId id =
                testing::addRecord(store, testing::makeRecord(name, 0, (operation >> 2) % 4, (operation >> 4) % 3));
            index.prepareInsert();
            index.insert(id);
            reference.insert(id);
            present.push_back(id);
        }
    }
    std::string why;
    if (testing::shapeOf(index, store) != reference.shape(store) || !index.invariantsHold(why)) {
        std::fprintf(stderr, "the index differs from the rules: %s\n", why.c_str());
        std::abort();
    }
    return 0;
}
