#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "store/record.hpp"

namespace recdb {

// The fields of a record as the text forms know them, in the order in which
// every form writes them and a header names them.
enum class TableColumn : std::uint8_t { Name, Group, Rating, Info };
inline constexpr std::array<std::string_view, 4> TableColumnNames = {"name", "group", "rating", "info"};

inline std::string_view columnName(TableColumn column) { return TableColumnNames[static_cast<std::size_t>(column)]; }

// A rating as a field: the pair num.den, as stored.
struct RatingValue {
    std::int32_t num = 0;
    std::int32_t den = 0;
};

// Hands each field of a record, in that order, to a writer's form: the name
// as a text, the group as a number, the rating as a pair, the info as a text
// that may be absent. The form writes what goes between fields; its field()
// overloads say how each kind of value looks.
template <typename Form>
void writeFields(const RecordView& record, Form& form) {
    form.field(TableColumn::Name, record.name);
    form.field(TableColumn::Group, record.group);
    form.field(TableColumn::Rating, RatingValue{record.ratingNum, record.ratingDen});
    form.field(TableColumn::Info, record.info);
}

// The header line of a table form: the column names with separator between
// them, ended by a line feed.
template <typename Write>
void writeHeaderLine(char separator, Write write) {
    for (const std::string_view name : TableColumnNames) {
        if (name != TableColumnNames.front()) {
            write(std::string_view(&separator, 1));
        }
        write(name);
    }
    write(std::string_view("\n"));
}

}  // namespace recdb
