#include "request/request_type.hpp"

#include <array>
#include <utility>

namespace recdb {

void normalizeRequest(std::string& line) {
    bool afterSpace = true;
    std::size_t out = 0;
    for (const char c : line) {
        if (c == ' ' && afterSpace) {
            continue;
        }
        line[out++] = c;
        afterSpace = c == ' ';
    }
    line.resize(out);
}

namespace {

constexpr std::array<std::pair<std::string_view, RequestType>, 9> Keywords{{
    {"DBload", RequestType::DBload},
    {"DBstore", RequestType::DBstore},
    {"insert", RequestType::Insert},
    {"remove", RequestType::Remove},
    {"select", RequestType::Select},
    {"reselect", RequestType::Reselect},
    {"print", RequestType::Print},
    {"fileprint", RequestType::FilePrint},
    {"exit", RequestType::Exit},
}};

}  // namespace

std::string_view keywordOf(RequestType type) {
    for (const auto& [keyword, keywordType] : Keywords) {
        if (keywordType == type) {
            return keyword;
        }
    }
    return {};
}

ParsedRequest parseRequestType(std::string_view line) {
    const std::size_t space = line.find(' ');
    const std::string_view word = line.substr(0, space);
    const std::string_view rest = space == std::string_view::npos ? line.substr(line.size()) : line.substr(space + 1);
    for (const auto& [keyword, type] : Keywords) {
        if (word == keyword) {
            return {type, rest};
        }
    }
    return {RequestType::Unknown, rest};
}

}  // namespace recdb
