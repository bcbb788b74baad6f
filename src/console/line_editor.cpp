#include "console/line_editor.hpp"

#include <histedit.h>
#include <signal.h>
#include <sys/select.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cwchar>
#include <string_view>

#include "console/completion.hpp"
#include "console/line_reader.hpp"

namespace recdb {

namespace {

volatile std::sig_atomic_t interrupted = 0;

// Whether the terminal's input has ended (it was hung up, say), as against
// a Ctrl-D, which the editor takes as the end of a line.
bool inputEnded = false;

void noteInterrupt(int) { interrupted = 1; }

// The signal mask with Ctrl-C's signal let through. The signal is blocked
// everywhere else, so that it arrives only while the editor waits for a key:
// a Ctrl-C while a request runs is held until the request is done, and one
// cannot slip in between checking for it and waiting.
sigset_t waitingMask;

// The editor's prompt: ">" for a request, a question while one is asked.
char* prompt(EditLine* editor) {
    void* requests = nullptr;
    el_get(editor, EL_CLIENTDATA, &requests);
    return static_cast<EditedRequests*>(requests)->promptText();
}

// Reads one character of the terminal's encoding. A Ctrl-C ends the read
// with an error, which ends el_gets.
int readCharacter(EditLine*, wchar_t* character) {
    std::mbstate_t state{};
    for (;;) {
        if (interrupted != 0) {
            return -1;
        }
        fd_set input;
        FD_ZERO(&input);
        FD_SET(STDIN_FILENO, &input);
        if (::pselect(STDIN_FILENO + 1, &input, nullptr, nullptr, nullptr, &waitingMask) < 0) {
            if (errno == EINTR) {
                continue;
            }
            inputEnded = true;
            return -1;
        }
        char byte = 0;
        const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
        if (got == 0) {
            inputEnded = true;
            return 0;
        }
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            inputEnded = true;
            return -1;
        }
        wchar_t decoded = 0;
        const std::size_t used = std::mbrtowc(&decoded, &byte, 1, &state);
        if (used == static_cast<std::size_t>(-2)) {
            continue;
        }
        if (used == static_cast<std::size_t>(-1)) {
            state = std::mbstate_t{};
            continue;
        }
        *character = decoded;
        return 1;
    }
}

unsigned char complete(EditLine* editor, int) {
    const LineInfo* line = el_line(editor);
    const std::string_view typed(line->buffer, static_cast<std::size_t>(line->cursor - line->buffer));
    const std::vector<std::string> candidates = completionsFor(typed);
    const std::size_t wordStart = typed.rfind(' ') == std::string_view::npos ? 0 : typed.rfind(' ') + 1;
    const std::size_t typedLength = typed.size() - wordStart;
    if (candidates.empty()) {
        return CC_ERROR;
    }
    std::string insertion = commonPrefix(candidates).substr(typedLength);
    if (candidates.size() == 1 && !candidates.front().ends_with('/') && !candidates.front().ends_with('=')) {
        insertion += ' ';
    }
    if (!insertion.empty()) {
        return el_insertstr(editor, insertion.c_str()) == 0 ? CC_REFRESH : CC_ERROR;
    }
    std::fputc('\n', stdout);
    for (const std::string& candidate : candidates) {
        std::fputs(candidate.c_str(), stdout);
        std::fputs("  ", stdout);
    }
    std::fputc('\n', stdout);
    return CC_REDISPLAY;
}

}  // namespace

EditedRequests::EditedRequests() : editor_(el_init("recdb", stdin, stdout, stderr)), history_(history_init()) {
    // The prompt is also where a question is shown.
    prompt_.reserve(MaxQuestionLength);
    prompt_.assign(1, '>');
    el_set(editor_, EL_CLIENTDATA, this);
    HistEvent event{};
    ::history(history_, &event, H_SETSIZE, 1000);
    el_set(editor_, EL_EDITOR, "emacs");
    el_set(editor_, EL_PROMPT, prompt);
    el_set(editor_, EL_HIST, ::history, history_);
    el_set(editor_, EL_GETCFN, readCharacter);
    el_set(editor_, EL_ADDFN, "recdb-complete", "complete a request word or file name", complete);
    el_set(editor_, EL_BIND, "^I", "recdb-complete", nullptr);
    struct sigaction action {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    ::sigprocmask(SIG_BLOCK, &interrupt, &waitingMask);
    sigdelset(&waitingMask, SIGINT);
}

EditedRequests::~EditedRequests() {
    el_end(editor_);
    history_end(history_);
}

bool EditedRequests::readRequest(std::string& line) {
    for (;;) {
        int count = 0;
        const char* typed = el_gets(editor_, &count);
        if (typed == nullptr || count <= 0) {
            if (interrupted != 0) {
                // Ctrl-C: the half-typed line is dropped.
                interrupted = 0;
                el_reset(editor_);
                std::fputc('\n', stdout);
                std::fflush(stdout);
                continue;
            }
            return false;
        }
        takeTypedRequest(std::string_view(typed, static_cast<std::size_t>(count)), line);
        if (!line.empty()) {
            HistEvent event{};
            ::history(history_, &event, H_ENTER, line.c_str());
            return true;
        }
    }
}

Answer EditedRequests::ask(std::string_view question, std::string& answer) {
    // The question is the prompt, and the editor writes on standard error
    // while it is answered, so that the editor knows where the answer
    // begins and the question stays off standard output.
    prompt_.assign(question);
    el_set(editor_, EL_SETFP, 1, stderr);
    int count = 0;
    const char* typed = el_gets(editor_, &count);
    el_set(editor_, EL_SETFP, 1, stdout);
    prompt_.assign(1, '>');
    if (typed != nullptr && count > 0) {
        takeTypedRequest(std::string_view(typed, static_cast<std::size_t>(count)), answer);
        return Answer::Given;
    }
    if (interrupted != 0) {
        interrupted = 0;
        el_reset(editor_);
    }
    std::fputc('\n', stderr);
    return inputEnded ? Answer::Ended : Answer::Declined;
}

}  // namespace recdb
