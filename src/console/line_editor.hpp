#pragma once

#include <string>

#include "console/request_source.hpp"

struct editline;
struct history;

namespace recdb {

// Requests typed at a terminal, with line editing: moving and editing within
// the line with the emacs keys and the arrow keys, the requests of this run
// as history (Up, Ctrl-P; Down, Ctrl-N), and Tab completion of keywords,
// argument words and file names. Ctrl-C drops the line being typed and
// prompts again. No history file is written and no configuration is read.
// A line becomes a request exactly as a piped one does; a blank line just
// prompts again. A question is answered with the same editing, on standard
// error; Ctrl-C and Ctrl-D decline it.
class EditedRequests : public RequestSource {
public:
    EditedRequests();
    ~EditedRequests() override;
    EditedRequests(const EditedRequests&) = delete;
    EditedRequests& operator=(const EditedRequests&) = delete;

    bool readRequest(std::string& line) override;
    Answer ask(std::string_view question, std::string& answer) override;

    // The prompt being shown, for the editor.
    char* promptText() { return prompt_.data(); }

private:
    editline* editor_;
    history* history_;
    std::string prompt_;
};

}  // namespace recdb
