// The record order and identity: the comparisons of records against the
// model of the three orders, the inline keys against the comparisons, and
// the table of rating pairs.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "order/index_key.hpp"
#include "order/rating_pairs.hpp"
#include "order/relation.hpp"
#include "test_support.hpp"

namespace recdb {
namespace {

using testing::compareByGroup;
using testing::compareByName;
using testing::compareByRating;
using testing::makeRecord;

TEST(Comparisons, FollowByteOrderAndFractionOrder) {
    struct Case {
        Record a;
        Record b;
        Relation byName;
        Relation byRating;
        Relation byGroup;
    };
    constexpr Relation B = Relation::Below;
    constexpr Relation NB = Relation::SameKeyNameBelow;
    constexpr Relation S = Relation::Same;
    constexpr Relation NA = Relation::SameKeyNameAbove;
    constexpr Relation A = Relation::Above;
    const Case cases[] = {
        {makeRecord("abc"), makeRecord("abd"), B, NB, NB},
        {makeRecord("ab"), makeRecord("abc"), B, NB, NB},
        {makeRecord("\xC0"), makeRecord("zzz"), A, NA, NA},
        {makeRecord("same"), makeRecord("same"), S, S, S},
        {makeRecord("a", 0, 1, 2), makeRecord("b", 0, 2, 4), B, NB, NB},
        {makeRecord("a", 0, 5, 0), makeRecord("b", 0, -3, 1), B, B, NB},
        {makeRecord("a", 0, 5, 0), makeRecord("a", 0, 0, 0), S, S, S},
        {makeRecord("a", 0, 1, 3), makeRecord("a", 0, 1, 2), S, B, S},
        // Negative second parts and large numbers keep the true fraction order.
        {makeRecord("a", 0, 1, -1), makeRecord("a", 0, 1, 1), S, B, S},
        {makeRecord("a", 0, -2, 1), makeRecord("a", 0, 1, -1), S, B, S},
        {makeRecord("a", 0, 2147483647, 1), makeRecord("a", 0, 2147483647, 2), S, A, S},
        {makeRecord("a", 0, -2147483647 - 1, -1), makeRecord("a", 0, 2147483647, 1), S, A, S},
        {makeRecord("a", -3), makeRecord("B", 7), A, NA, B},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(compareByName(c.a, c.b), c.byName) << c.a.nameView() << " " << c.b.nameView();
        EXPECT_EQ(compareByRating(c.a, c.b), c.byRating) << c.a.nameView() << " " << c.b.nameView();
        EXPECT_EQ(compareByGroup(c.a, c.b), c.byGroup) << c.a.nameView() << " " << c.b.nameView();
        EXPECT_EQ(compareByRating(c.b, c.a), reversed(c.byRating));
    }
    // The inline keys decide exactly as the comparisons do.
    std::mt19937 random(5);
    const std::int32_t numbers[] = {0, 1, -1, 2, 3, -2147483647 - 1, 2147483647, 6, -6, 4};
    const char* names[] = {"", "a", "ab", "abcdefgh", "abcdefghi", "abcdefgh\xC0", "abcdefgi", "\xFF", "b", "a\x01"};
    std::vector<Record> records;
    for (int k = 0; k < 300; ++k) {
        records.push_back(makeRecord(names[random() % 10], 0, numbers[random() % 10], numbers[random() % 10]));
    }
    for (const Record& a : records) {
        for (const Record& b : records) {
            const IndexKey keyA = indexKeyOf(a.nameView(), a.ratingNum, a.ratingDen);
            const IndexKey keyB = indexKeyOf(b.nameView(), b.ratingNum, b.ratingDen);
            const auto nameA = [&a] { return a.nameView(); };
            const auto nameB = [&b] { return b.nameView(); };
            ASSERT_EQ(compareKeyed(IndexOrder::ByName, keyA, nameA, keyB, nameB), compareByName(a, b));
            ASSERT_EQ(compareKeyed(IndexOrder::ByRating, keyA, nameA, keyB, nameB), compareByRating(a, b));
        }
    }
}

TEST(IndexKey, PrefixesOrderAsTheNamesDo) {
    // Bytes above 127 sort after the others; names tie in their first 8
    // bytes; an empty name may have no address at all (a lookup by rating
    // alone probes with one).
    const std::string_view names[] = {
        {}, "", "a", "a\x01", "a\x80", "ab", "\x7f", "\x80", "\xff", "abcdefgh", "abcdefgh\x01", "abcdefgi",
    };
    for (std::size_t a = 0; a < std::size(names); ++a) {
        for (std::size_t b = 0; b < std::size(names); ++b) {
            const Relation relation = compareKeyedNames(
                indexKeyOf(names[a], 1, 2), [&] { return names[a]; }, indexKeyOf(names[b], 1, 2),
                [&] { return names[b]; });
            EXPECT_EQ(relation, compareNames(names[a], names[b])) << "names " << a << " and " << b;
        }
    }
}

TEST(RatingPairs, NumbersEachPairOnceInTheOrderMetUntilFull) {
    RatingPairs pairs;
    // Pairs as written: equal fractions, signs and a second part of 0 are
    // pairs of their own.
    const RatingPairs::Pair first[] = {{1, 2}, {2, 4}, {-1, -2}, {1, -2}, {0, 0}, {5, 0}, {INT32_MIN, INT32_MAX}};
    for (std::size_t k = 0; k < std::size(first); ++k) {
        ASSERT_EQ(pairs.note(first[k].num, first[k].den), k);
    }
    for (std::size_t k = std::size(first); k-- > 0;) {
        ASSERT_EQ(pairs.note(first[k].num, first[k].den), k) << "noted again";
        ASSERT_EQ(pairs.numberOf(first[k].num, first[k].den), k);
    }
    // Random pairs fill the table to its end, half of its slots: the runs of
    // the open addressing meet and wrap around.
    std::mt19937 random(4096);
    std::map<std::pair<std::int32_t, std::int32_t>, std::size_t> expected;
    for (std::size_t k = 0; k < std::size(first); ++k) {
        expected[{first[k].num, first[k].den}] = k;
    }
    while (expected.size() < RatingPairs::MaxPairs) {
        const auto num = static_cast<std::int32_t>(random() % 64);
        const auto den = static_cast<std::int32_t>(random());
        const auto [at, isNew] = expected.try_emplace({num, den}, expected.size());
        ASSERT_EQ(pairs.note(num, den), at->second) << num << "." << den;
    }
    EXPECT_EQ(pairs.note(7, 7), RatingPairs::Full);
    EXPECT_EQ(pairs.note(7, 7), RatingPairs::Full) << "a refused pair stays unnumbered";
    ASSERT_EQ(pairs.pairs().size(), RatingPairs::MaxPairs);
    for (const auto& [pair, number] : expected) {
        ASSERT_EQ(pairs.note(pair.first, pair.second), number) << "known pairs are found when full";
        ASSERT_EQ(pairs.numberOf(pair.first, pair.second), number);
        ASSERT_EQ(pairs.pairs()[number].num, pair.first);
        ASSERT_EQ(pairs.pairs()[number].den, pair.second);
    }
}

}  // namespace
}  // namespace recdb
