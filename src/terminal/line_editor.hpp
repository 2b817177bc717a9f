#pragma once

#include <streambuf>
#include <string>
#include <string_view>

struct editline;
struct history;

namespace cellbound {

// Input from a terminal through libedit: the player can edit a line before
// sending it and recall earlier lines with the arrow keys. The game reads it
// like any other stream, one line at a time, so what is left of a line after
// a word read is still there for the next read.
class LineEditor : public std::streambuf {
public:
    LineEditor();
    ~LineEditor() override;
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;
    LineEditor(LineEditor&&) = delete;
    LineEditor& operator=(LineEditor&&) = delete;

    // The editor redraws the unfinished line it edits on, so a prompt's last
    // line is shown by the editor itself. Refused while typed input is still
    // waiting to be read: then no edit follows the prompt.
    bool takePrompt(std::string_view text);

protected:
    int_type underflow() override;

private:
    static char* promptOf(editline* editor);

    editline* editor_;
    history* history_;
    std::string line_;
    std::string prompt_;
};

}  // namespace cellbound
