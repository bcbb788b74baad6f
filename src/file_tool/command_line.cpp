#include "file_tool/command_line.hpp"

#include <algorithm>
#include <array>
#include <cctype>

#include "exchange/display_text.hpp"

namespace recdb {

namespace {

bool endsWith(std::string_view path, std::string_view ending) {
    return path.size() >= ending.size() &&
           std::equal(ending.begin(), ending.end(), path.end() - static_cast<std::ptrdiff_t>(ending.size()),
                      [](char want, char have) { return want == std::tolower(static_cast<unsigned char>(have)); });
}

}  // namespace

ExportFormat formatOfName(std::string_view path) {
    if (endsWith(path, ".tsv")) {
        return ExportFormat::Tsv;
    }
    if (endsWith(path, ".jsonl")) {
        return ExportFormat::Jsonl;
    }
    return ExportFormat::Csv;
}

std::optional<std::string> readColumnMaps(const std::vector<std::string>& maps, ColumnChoice& choice) {
    std::array<bool, TableColumnNames.size()> given{};
    for (const std::string& map : maps) {
        const std::size_t equals = map.find('=');
        const std::string_view field = std::string_view(map).substr(0, equals);
        const auto known = std::find(TableColumnNames.begin(), TableColumnNames.end(), field);
        if (equals == std::string::npos || known == TableColumnNames.end()) {
            return "--map takes FIELD=COLUMN, FIELD one of name, group, rating and info, not " + displayText(map);
        }
        const auto place = static_cast<std::size_t>(known - TableColumnNames.begin());
        if (given[place]) {
            return "--map gives the " + std::string(field) + " twice";
        }
        given[place] = true;
        choice.headers[place] = map.substr(equals + 1);
        choice.infoAskedFor = choice.infoAskedFor || static_cast<TableColumn>(place) == TableColumn::Info;
    }
    return std::nullopt;
}

RecordOrder orderOfName(std::string_view name) {
    return name == "name" ? RecordOrder::ByName : name == "group" ? RecordOrder::ByGroup : RecordOrder::ByRating;
}

}  // namespace recdb
