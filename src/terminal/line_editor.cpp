#include "terminal/line_editor.hpp"

#include <histedit.h>

#include <cstdio>

namespace cellbound {

LineEditor::LineEditor()
    : editor_(el_init("cellbound", stdin, stdout, stderr)), history_(history_init()) {
    HistEvent event{};
    history(history_, &event, H_SETSIZE, 500);
    el_set(editor_, EL_EDITOR, "emacs");
    el_set(editor_, EL_HIST, history, history_);
    el_set(editor_, EL_CLIENTDATA, this);
    el_set(editor_, EL_PROMPT, &LineEditor::promptOf);
    el_source(editor_, nullptr);  // the player's own ~/.editrc, if any
}

LineEditor::~LineEditor() {
    el_end(editor_);
    history_end(history_);
}

bool LineEditor::takePrompt(std::string_view text) {
    if (gptr() < egptr()) {
        return false;
    }
    prompt_ = text;
    return true;
}

char* LineEditor::promptOf(editline* editor) {
    void* self = nullptr;
    el_get(editor, EL_CLIENTDATA, &self);
    return static_cast<LineEditor*>(self)->prompt_.data();
}

LineEditor::int_type LineEditor::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    int count = 0;
    const char* const typed = el_gets(editor_, &count);
    prompt_.clear();
    if (typed == nullptr || count <= 0) {
        return traits_type::eof();
    }
    line_.assign(typed, static_cast<std::size_t>(count));
    // Blank lines are not worth recalling.
    if (line_.find_first_not_of(" \t\r\n") != std::string::npos) {
        HistEvent event{};
        const auto end = line_.find_last_not_of("\r\n") + 1;
        history(history_, &event, H_ENTER, line_.substr(0, end).c_str());
    }
    setg(line_.data(), line_.data(), line_.data() + line_.size());
    return traits_type::to_int_type(*gptr());
}

}  // namespace cellbound
