#include "terminal/line_editor.hpp"

#include <sys/ioctl.h>

#include <cerrno>
#include <clocale>
#include <cwchar>

#include "terminal/descriptors.hpp"
#include "terminal/terminal_state.hpp"

namespace cellbound {

namespace {

constexpr int kEscape = 0x1b;
constexpr int kDelete = 0x7f;
constexpr std::size_t kHistoryLength = 500;

constexpr int control(char letter) {
    return letter & 0x1f;
}

bool isControl(unsigned char c) {
    return c < 0x20 || c == kDelete;
}

bool isContinuation(unsigned char c) {
    return (c & 0xc0) == 0x80;
}

// The columns one UTF-8 character takes, and how many bytes it has. A byte
// that starts no valid character is one column, as terminals show it.
std::size_t widthOfCharacter(std::string_view text, std::size_t& length) {
    const auto first = static_cast<unsigned char>(text.front());
    length = 1;
    if (isControl(first)) {
        return 2;  // caret notation
    }
    if (first < 0x80) {
        return 1;
    }
    const std::size_t expected = first >= 0xf0 ? 4 : first >= 0xe0 ? 3 : first >= 0xc0 ? 2 : 0;
    if (expected == 0 || text.size() < expected) {
        return 1;
    }
    char32_t point = first & (0x7f >> expected);
    for (std::size_t i = 1; i < expected; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if (!isContinuation(next)) {
            return 1;
        }
        point = (point << 6) | (next & 0x3f);
    }
    length = expected;
    const int columns = ::wcwidth(static_cast<wchar_t>(point));
    return columns < 0 ? 1 : static_cast<std::size_t>(columns);
}

std::size_t widthOf(std::string_view text) {
    std::size_t width = 0;
    while (!text.empty()) {
        std::size_t length = 0;
        width += widthOfCharacter(text, length);
        text.remove_prefix(length);
    }
    return width;
}

// Control characters in caret notation (^I for a Tab, ^? for Delete);
// everything else as it is.
void appendShown(std::string& out, std::string_view text) {
    for (const char c : text) {
        if (isControl(static_cast<unsigned char>(c))) {
            out += '^';
            out += static_cast<char>(c ^ 0x40);
        } else {
            out += c;
        }
    }
}

// Whether text of this width fills its last row to the end, where terminals
// hold the cursor until the next character: the line editor then moves it to
// a row of its own.
bool endsAtRowEnd(std::size_t width, std::size_t columns) {
    return width > 0 && width % columns == 0;
}

std::string cursorBy(std::size_t count, char direction) {
    return "\x1b[" + std::to_string(count) + direction;
}

bool isBlank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

LineEditor::LineEditor(int keyboard, int screenDescriptor, std::streambuf& screen)
    : keyboard_(keyboard), screenDescriptor_(screenDescriptor), screen_(screen) {
    // Only to know how wide the player's characters are on the screen.
    static_cast<void>(std::setlocale(LC_CTYPE, ""));
}

bool LineEditor::takePrompt(std::string_view text) {
    if (gptr() < egptr()) {
        return false;
    }
    prompt_ = text;
    return true;
}

LineEditor::int_type LineEditor::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    const bool sent = editLine();
    prompt_.clear();
    if (!sent) {
        return traits_type::eof();
    }
    if (!isBlank(line_)) {
        if (history_.size() == kHistoryLength) {
            history_.erase(history_.begin());
        }
        history_.push_back(line_);
    }
    sent_ = line_ + '\n';
    setg(sent_.data(), sent_.data(), sent_.data() + sent_.size());
    return traits_type::to_int_type(*gptr());
}

bool LineEditor::editLine() {
    line_.clear();
    cursor_ = 0;
    rowOfCursor_ = 0;
    draft_.clear();
    recalled_ = history_.size();
    terminal_state::use(terminal_state::Mode::LineEditing);
    redraw();
    Key key = nextKey();
    for (; key == Key::Edited && !failed_; key = nextKey()) {
        // Keys typed or pasted together are drawn once.
        if (keysUsed_ == keysRead_) {
            redraw();
        }
    }
    if (key == Key::Enter && !failed_) {
        cursor_ = line_.size();
        redraw();
        if (!endsAtRowEnd(widthOf(prompt_) + widthOf(line_), shownColumns_)) {
            show("\n");  // else the redraw has already gone to a row of its own
        }
    }
    terminal_state::use(terminal_state::Mode::AsFound);
    return key == Key::Enter && !failed_;
}

int LineEditor::readByte() {
    while (keysUsed_ == keysRead_) {
        const long count = readReady(keyboard_, keys_.data(), keys_.size());
        if (count > 0) {
            keysRead_ = static_cast<std::size_t>(count);
            keysUsed_ = 0;
        } else if (count < 0 && errno == EINTR) {
            if (terminal_state::continuedFromStop()) {
                rowOfCursor_ = 0;  // the shell has moved the screen on
            }
            if (terminal_state::redrawWanted()) {
                redraw();
            }
        } else {
            return -1;  // end of input, or the terminal is gone
        }
    }
    return static_cast<unsigned char>(keys_.at(keysUsed_++));
}

LineEditor::Key LineEditor::nextKey() {
    const int key = readByte();
    if (key < 0) {
        return Key::End;
    }
    if (key == '\r' || key == '\n') {
        return Key::Enter;
    }
    if (key == kEscape) {
        return escapeSequence();
    }
    if (key == '\t' || !isControl(static_cast<unsigned char>(key))) {
        insert(std::string(1, static_cast<char>(key)));
        return Key::Edited;
    }
    return controlKey(key);
}

LineEditor::Key LineEditor::controlKey(int key) {
    switch (key) {
        case control('A'):
            cursor_ = 0;
            break;
        case control('B'):
            cursor_ = previousCharacter(cursor_);
            break;
        case control('D'):
            if (line_.empty()) {
                return Key::End;
            }
            eraseTo(cursor_, nextCharacter(cursor_));
            break;
        case control('E'):
            cursor_ = line_.size();
            break;
        case control('F'):
            cursor_ = nextCharacter(cursor_);
            break;
        case control('H'):
        case kDelete:
            eraseTo(previousCharacter(cursor_), cursor_);
            break;
        case control('K'):
            eraseTo(cursor_, line_.size());
            break;
        case control('L'):
            show("\x1b[H\x1b[2J");
            rowOfCursor_ = 0;
            break;
        case control('N'):
            recall(recalled_ + 1);
            break;
        case control('P'):
            if (recalled_ > 0) {
                recall(recalled_ - 1);
            }
            break;
        case control('U'):
            eraseTo(0, cursor_);
            break;
        case control('V'): {
            const int literal = readByte();
            if (literal < 0) {
                return Key::End;
            }
            insert(std::string(1, static_cast<char>(literal)));
            break;
        }
        case control('W'):
            eraseTo(previousWord(cursor_), cursor_);
            break;
        default:
            break;  // no other key edits the line
    }
    return Key::Edited;
}

// The keys that send sequences: ESC [ or ESC O, parameters, a final byte.
LineEditor::Key LineEditor::escapeSequence() {
    const int introducer = readByte();
    if (introducer != '[' && introducer != 'O') {
        return introducer < 0 ? Key::End : Key::Edited;  // Alt and a key: not bound
    }
    std::string parameters;
    int final = readByte();
    while (introducer == '[' && final >= 0x20 && final < 0x40) {
        parameters += static_cast<char>(final);
        final = readByte();
    }
    const std::string_view first = std::string_view(parameters).substr(0, parameters.find(';'));
    switch (final) {
        case -1:
            return Key::End;
        case 'A':
            return controlKey(control('P'));
        case 'B':
            return controlKey(control('N'));
        case 'C':
            return controlKey(control('F'));
        case 'D':
            return controlKey(control('B'));
        case 'H':
            return controlKey(control('A'));
        case 'F':
            return controlKey(control('E'));
        case '~':
            if (first == "1" || first == "7") {
                return controlKey(control('A'));
            }
            if (first == "4" || first == "8") {
                return controlKey(control('E'));
            }
            if (first == "3") {
                eraseTo(cursor_, nextCharacter(cursor_));
            }
            break;
        default:
            break;
    }
    return Key::Edited;
}

void LineEditor::insert(std::string_view bytes) {
    if (line_.size() + bytes.size() > kLongestLine) {
        return;
    }
    line_.insert(cursor_, bytes);
    cursor_ += bytes.size();
}

void LineEditor::eraseTo(std::size_t from, std::size_t to) {
    line_.erase(from, to - from);
    cursor_ = from;
}

void LineEditor::recall(std::size_t index) {
    if (index > history_.size()) {
        return;
    }
    if (recalled_ == history_.size()) {
        draft_ = line_;
    }
    recalled_ = index;
    line_ = index == history_.size() ? draft_ : history_[index];
    cursor_ = line_.size();
}

std::size_t LineEditor::previousCharacter(std::size_t at) const {
    if (at == 0) {
        return 0;
    }
    --at;
    while (at > 0 && isContinuation(static_cast<unsigned char>(line_[at]))) {
        --at;
    }
    return at;
}

std::size_t LineEditor::nextCharacter(std::size_t at) const {
    if (at == line_.size()) {
        return at;
    }
    ++at;
    while (at < line_.size() && isContinuation(static_cast<unsigned char>(line_[at]))) {
        ++at;
    }
    return at;
}

std::size_t LineEditor::previousWord(std::size_t at) const {
    const auto blank = [this](std::size_t i) {
        return line_[i - 1] == ' ' || line_[i - 1] == '\t';
    };
    while (at > 0 && blank(at)) {
        --at;
    }
    while (at > 0 && !blank(at)) {
        --at;
    }
    return at;
}

// Draws the prompt and the line from the prompt's first row, and puts the
// cursor where it is in the line. Lines longer than the screen is wide wrap.
void LineEditor::redraw() {
    winsize size{};
    const std::size_t columns =
        ::ioctl(screenDescriptor_, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    const std::size_t promptWidth = widthOf(prompt_);
    const std::size_t atCursor = promptWidth + widthOf(std::string_view(line_).substr(0, cursor_));
    const std::size_t total = promptWidth + widthOf(line_);
    if (columns != shownColumns_) {
        // The terminal has wrapped what was drawn anew at its new width.
        rowOfCursor_ = atCursor / columns;
    }
    std::string out = rowOfCursor_ > 0 ? cursorBy(rowOfCursor_, 'A') : std::string();
    out += "\r\x1b[J";
    out += prompt_;
    appendShown(out, line_);
    std::size_t row = total == 0 ? 0 : (total - 1) / columns;
    if (endsAtRowEnd(total, columns)) {
        out += "\r\n";  // past the last column: the cursor goes to a row of its own
        ++row;
    }
    const std::size_t cursorRow = atCursor / columns;
    if (atCursor != total) {  // else the cursor is already where it belongs
        if (row > cursorRow) {
            out += cursorBy(row - cursorRow, 'A');
        }
        out += '\r';
        if (atCursor % columns > 0) {
            out += cursorBy(atCursor % columns, 'C');
        }
    }
    rowOfCursor_ = cursorRow;
    shownColumns_ = columns;
    show(out);
}

void LineEditor::show(std::string_view text) {
    screen_.sputn(text.data(), static_cast<std::streamsize>(text.size()));
    if (screen_.pubsync() != 0) {
        failed_ = true;
    }
}

}  // namespace cellbound
