#include "request/print_fields.hpp"

#include "request/words.hpp"

namespace recdb {

namespace {

std::uint8_t fieldBit(std::string_view word) {
    if (word == "name") {
        return NameField;
    }
    if (word == "group") {
        return GroupField;
    }
    if (word == "rating") {
        return RatingField;
    }
    if (word == "info") {
        return InfoField;
    }
    return 0;
}

}  // namespace

std::string_view parsePrintFields(std::string_view rest, FieldSet& fields, SortKey& sortKey) {
    WordReader words(rest);
    std::uint8_t* target = &fields;
    std::string_view word;
    // "sort" or "end" as the last word change nothing that could be seen:
    // no word follows the switch, and the rest is empty either way.
    while (words.next(word)) {
        if (word == "end") {
            return words.rest();
        }
        if (word == "sort") {
            target = &sortKey;
        } else {
            *target |= fieldBit(word);
        }
    }
    return words.rest();
}

}  // namespace recdb
