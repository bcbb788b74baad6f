#include "console/completion.hpp"

#include <algorithm>
#include <span>

#include "console/request_guide.hpp"
#include "io/system_calls.hpp"

namespace recdb {

namespace {

std::vector<std::string_view> wordsOf(std::string_view text) {
    std::vector<std::string_view> words;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        if (space != 0) {
            words.push_back(text.substr(0, space));
        }
        if (space == std::string_view::npos) {
            break;
        }
        text.remove_prefix(space + 1);
    }
    return words;
}

void addMatching(std::vector<std::string>& out, std::string_view prefix, std::span<const std::string_view> words) {
    for (const std::string_view word : words) {
        if (word.starts_with(prefix)) {
            out.emplace_back(word);
        }
    }
}

void addFileNames(std::vector<std::string>& out, std::string_view prefix) {
    const std::size_t slash = prefix.rfind('/');
    const std::string directory(slash == std::string_view::npos ? "" : prefix.substr(0, slash + 1));
    const std::string_view start = slash == std::string_view::npos ? prefix : prefix.substr(slash + 1);
    std::vector<std::string> names;
    if (io::systemCalls().listDirectory(directory.empty() ? "." : directory.c_str(), names) != 0) {
        return;
    }
    for (const std::string& name : names) {
        if (!name.starts_with(start) || (name.front() == '.' && !start.starts_with('.'))) {
            continue;
        }
        std::string candidate = directory + name;
        io::FileStatus info{};
        if (io::systemCalls().stat(candidate.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            candidate += '/';
        }
        out.push_back(std::move(candidate));
    }
    std::sort(out.begin(), out.end());
}

}  // namespace

std::vector<std::string> completionsFor(std::string_view typed) {
    const std::size_t lastSpace = typed.rfind(' ');
    const std::string_view word = lastSpace == std::string_view::npos ? typed : typed.substr(lastSpace + 1);
    const std::vector<std::string_view> before =
        wordsOf(lastSpace == std::string_view::npos ? std::string_view() : typed.substr(0, lastSpace));
    std::vector<std::string> candidates;
    if (before.empty()) {
        addMatching(candidates, word, knownWords());
        return candidates;
    }
    if (before.front() == HelpWord) {
        if (before.size() == 1) {
            // Every keyword, "help" (the last word) aside.
            addMatching(candidates, word, knownWords().first(knownWords().size() - 1));
        }
        return candidates;
    }
    const RequestGuide* guide = guideFor(before.front());
    if (guide == nullptr) {
        return candidates;
    }
    const auto endAt = std::find(before.begin(), before.end(), "end");
    if (guide->file == FileWord::First) {
        if (before.size() == 1) {
            addFileNames(candidates, word);
        }
    } else if (endAt == before.end()) {
        addMatching(candidates, word, guide->arguments);
    } else if (guide->file == FileWord::AfterEnd) {
        const auto wordsAfterEnd = before.end() - endAt - 1;
        if (wordsAfterEnd == 0) {
            addFileNames(candidates, word);
        } else if (wordsAfterEnd == 1) {
            addMatching(candidates, word, guide->afterFile);
        }
    }
    return candidates;
}

std::string commonPrefix(const std::vector<std::string>& candidates) {
    if (candidates.empty()) {
        return {};
    }
    std::string prefix = candidates.front();
    for (const std::string& candidate : candidates) {
        const auto differ = std::mismatch(prefix.begin(), prefix.end(), candidate.begin(), candidate.end());
        prefix.erase(differ.first, prefix.end());
    }
    return prefix;
}

}  // namespace recdb
