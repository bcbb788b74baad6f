#include "request/record_values.hpp"

#include "request/number.hpp"
#include "request/words.hpp"

namespace recdb {

void parseRecordValues(std::string_view text, Record& record) {
    record.clear();
    forEachKeyValue(text, [&record](const KeyValue& kv) {
        if (kv.key == "name") {
            record.setName(kv.value);
        } else if (kv.key == "group") {
            record.group = readNumber(kv.value);
        } else if (kv.key == "rating") {
            static_cast<void>(readRatingPair(kv.value, record.ratingNum, record.ratingDen));
        } else if (kv.key == "info") {
            record.info.emplace(kv.value);
        }
    });
}

}  // namespace recdb
