#include "platform/line_editor.hpp"

#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/descriptors.hpp"
#include "platform/terminal_state.hpp"

namespace cellbound {

namespace {

constexpr unsigned char kEscape = 0x1b;
constexpr unsigned char kDelete = 0x7f;
constexpr std::size_t kHistoryLength = 500;
// Longer than any known key: the rest of its parameters is not kept.
constexpr std::size_t kLongestSequence = 32;

constexpr unsigned char control(char letter) {
    return static_cast<unsigned char>(letter & 0x1f);
}

bool isControl(unsigned char c) {
    return c < 0x20 || c == kDelete;
}

bool isBlank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

// The parameter and intermediate bytes of a sequence, and its final byte.
bool isParameter(unsigned char c) {
    return c >= 0x20 && c < 0x40;
}
bool isFinal(unsigned char c) {
    return c >= 0x40 && c < 0x7f;
}

// Whether a key's parameters have Ctrl among its modifiers: 1;5C, 1;6C, or
// the older 5C.
bool withCtrl(std::string_view parameters) {
    const std::size_t separator = parameters.find(';');
    const std::string_view modifier =
        separator == std::string_view::npos ? parameters : parameters.substr(separator + 1);
    return modifier.size() == 1 && modifier[0] >= '1' && modifier[0] <= '9' &&
           ((modifier[0] - '1') & 4) != 0;
}

}  // namespace

LineEditor::LineEditor(int keyboard, int screenDescriptor, ByteSink& screen)
    : keyboard_(keyboard), screenDescriptor_(screenDescriptor), screen_(screen) {}

bool LineEditor::takePrompt(std::string_view text) {
    if (source_.holdsUnread()) {
        return false;
    }
    prompt_ = text;
    return true;
}

std::string_view LineEditor::nextLine() {
    if (state_ == State::Idle) {
        begin();
    }
    while (state_ == State::Editing) {
        const long count = readReady(keyboard_, keys_.data(), keys_.size());
        if (count > 0) {
            type(std::string_view(keys_.data(), static_cast<std::size_t>(count)));
        } else if (count < 0 && errno == EINTR) {
            const terminal_state::News news = terminal_state::takeNews();
            if (news == terminal_state::News::Continued) {
                view_.movedToFreshRow();  // the shell has moved the screen on
            }
            if (news != terminal_state::News::None) {
                draw();
            }
        } else {
            end();  // end of input, or the terminal is gone
        }
    }
    const bool sent = state_ == State::Sent;
    state_ = State::Idle;
    if (!sent) {
        return {};
    }
    return sent_;
}

void LineEditor::type(std::string_view keys) {
    if (state_ == State::Idle) {
        begin();
    }
    const std::size_t used = state_ == State::Editing ? pressAll(keys) : 0;
    pending_.append(keys.substr(used));
}

void LineEditor::begin() {
    state_ = State::Editing;
    line_.clear();
    cursor_ = 0;
    sequence_.clear();
    literalNext_ = false;
    draft_.clear();
    recalled_ = history_.size();
    terminal_state::use(terminal_state::Mode::LineEditing);
    // A stop between two lines: this line starts where the shell left off.
    static_cast<void>(terminal_state::takeNews());
    view_.begin(prompt_);
    prompt_.clear();
    // Keys typed ahead, after the last line's Enter, are this line's first.
    const std::string ahead = std::exchange(pending_, {});
    const std::size_t used = pressAll(ahead);
    pending_ = ahead.substr(used);
}

// Presses keys until the line is sent or ended, and draws once for them all
// (with no keys, draws what has changed on the screen, such as its width).
std::size_t LineEditor::pressAll(std::string_view keys) {
    std::size_t used = 0;
    while (used < keys.size() && state_ == State::Editing) {
        press(static_cast<unsigned char>(keys[used++]));
    }
    if (state_ == State::Editing) {
        draw();
    }
    return used;
}

void LineEditor::press(unsigned char byte) {
    if (literalNext_) {
        literalNext_ = false;
        // A line end cannot stand inside a line: the game would read two.
        if (byte != '\r' && byte != '\n') {
            insert(static_cast<char>(byte));
        }
        return;
    }
    if (terminal_state::sendSignalOf(byte)) {
        sequence_.clear();
        // Back from a stop: the shell has moved the screen on.
        if (terminal_state::takeNews() == terminal_state::News::Continued) {
            view_.movedToFreshRow();
        }
        return;
    }
    if (!sequence_.empty()) {
        switch (extendSequence(byte)) {
            case Sequence::Pending:
                return;
            case Sequence::Complete:
                sequenceKey();
                sequence_.clear();
                return;
            case Sequence::Abandoned:
                sequence_.clear();
                break;  // the byte is a key of its own
        }
    }
    if (byte == kEscape) {
        sequence_ = static_cast<char>(byte);
    } else if (byte == '\r' || byte == '\n') {
        enter();
    } else if (byte != '\t' && isControl(byte)) {
        controlKey(byte);
    } else {
        insert(static_cast<char>(byte));
    }
}

// The keys that send sequences: ESC [ or ESC O, parameters, a final byte;
// the Linux console's ESC [ [ and a letter; Alt and a key as ESC and the key,
// rxvt's Alt and a key that sends a sequence as ESC and the sequence. Each
// is taken whole, known or not.
LineEditor::Sequence LineEditor::extendSequence(unsigned char byte) {
    const std::size_t altered = sequence_.size() > 1 && sequence_[1] == '\x1b' ? 1 : 0;
    const std::string_view body = std::string_view(sequence_).substr(1 + altered);
    const auto taken = [this, byte](Sequence result) {
        sequence_ += static_cast<char>(byte);
        return result;
    };
    if (sequence_.size() == 1 && (byte == kDelete || byte == control('H'))) {
        return taken(Sequence::Complete);  // Alt-Backspace
    }
    if (isControl(byte) && !(byte == kEscape && sequence_.size() == 1)) {
        return Sequence::Abandoned;  // Enter, Backspace and the like still work
    }
    if (sequence_.size() >= kLongestSequence && isParameter(byte)) {
        return Sequence::Pending;  // unknown however it ends: no need to keep it
    }
    if (body.empty()) {
        if (byte == '[' || byte == 'O' || byte == kEscape) {
            return taken(Sequence::Pending);
        }
        return byte < 0x80 ? taken(Sequence::Complete) : Sequence::Abandoned;
    }
    if (body == "[" && byte == '[') {
        return taken(Sequence::Pending);
    }
    if (isParameter(byte)) {
        return taken(Sequence::Pending);
    }
    if (isFinal(byte)) {
        return taken(Sequence::Complete);
    }
    return Sequence::Abandoned;
}

void LineEditor::sequenceKey() {
    if (sequence_.size() == 2) {
        return altKey(static_cast<unsigned char>(sequence_[1]));
    }
    if (sequence_[1] == '\x1b') {
        // rxvt's Alt and an arrow moves by words, as bash on Debian has it;
        // Alt and any other key is not bound.
        const std::string_view key = std::string_view(sequence_).substr(2);
        if (key == "[C" || key == "[D") {
            altKey(key == "[C" ? 'f' : 'b');
        }
        return;
    }
    const std::string_view body = std::string_view(sequence_).substr(1);
    if (body.substr(0, 2) == "[[") {
        return;  // the Linux console's F1 to F5
    }
    const std::string_view parameters = body.substr(1, body.size() - 2);
    const std::string_view first = parameters.substr(0, parameters.find(';'));
    switch (body.back()) {
        case 'A':
            return controlKey(control('P'));
        case 'B':
            return controlKey(control('N'));
        case 'C':  // with Ctrl, as Alt-F
            return withCtrl(parameters) ? altKey('f') : controlKey(control('F'));
        case 'D':
            return withCtrl(parameters) ? altKey('b') : controlKey(control('B'));
        case 'c':  // rxvt's Ctrl-Right and Ctrl-Left
        case 'd':
            if (body.front() == 'O') {
                altKey(body.back() == 'c' ? 'f' : 'b');
            }
            return;
        case 'H':
            return controlKey(control('A'));
        case 'F':
            return controlKey(control('E'));
        case '~':
            if (body.front() == '[') {
                numberedKey(first);
            }
            return;
        default:
            return;  // no other key edits the line
    }
}

// ESC [ number ~: Home, End and Delete.
void LineEditor::numberedKey(std::string_view number) {
    if (number == "1" || number == "7") {
        controlKey(control('A'));
    } else if (number == "4" || number == "8") {
        controlKey(control('E'));
    } else if (number == "3") {
        eraseTo(cursor_, nextCharacter(cursor_));
    }
}

// Alt and a key, sent as ESC and the key: the word keys, as in bash.
void LineEditor::altKey(unsigned char key) {
    switch (key) {
        case 'b':
            cursor_ = wordStartBefore(cursor_);
            break;
        case 'f':
            cursor_ = wordEndAfter(cursor_);
            break;
        case 'd':
            eraseTo(cursor_, wordEndAfter(cursor_));
            break;
        case kDelete:
        case control('H'):
            eraseTo(wordStartBefore(cursor_), cursor_);
            break;
        default:
            break;  // no other Alt key edits the line
    }
}

void LineEditor::controlKey(unsigned char key) {
    switch (key) {
        case control('A'):
            cursor_ = 0;
            break;
        case control('B'):
            cursor_ = previousCharacter(cursor_);
            break;
        case control('D'):
            if (line_.empty()) {
                end();
                return;
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
            show(view_.clearScreen());
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
        case control('V'):
            literalNext_ = true;
            break;
        case control('W'):
            eraseTo(previousWord(cursor_), cursor_);
            break;
        default:
            break;  // no other key edits the line
    }
}

void LineEditor::enter() {
    cursor_ = line_.size();
    draw();
    show(view_.finish());
    if (state_ != State::Editing) {
        return;  // the screen failed
    }
    if (!isBlank(line_)) {
        if (history_.size() == kHistoryLength) {
            history_.erase(history_.begin());
        }
        history_.push_back(line_);
    }
    sent_ = line_ + '\n';
    state_ = State::Sent;
    terminal_state::use(terminal_state::Mode::AsFound);
}

void LineEditor::end() {
    state_ = State::Ended;
    terminal_state::use(terminal_state::Mode::AsFound);
}

void LineEditor::insert(char byte) {
    if (line_.size() < kLongestLine) {
        line_.insert(cursor_, 1, byte);
        ++cursor_;
    }
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
    std::size_t previous = 0;
    for (const std::size_t end : characterEnds(line_)) {
        if (end >= at) {
            break;
        }
        previous = end;
    }
    return previous;
}

std::size_t LineEditor::nextCharacter(std::size_t at) const {
    for (const std::size_t end : characterEnds(line_)) {
        if (end > at) {
            return end;
        }
    }
    return line_.size();
}

// The start of the word before `at`, after the blanks that end it.
std::size_t LineEditor::previousWord(std::size_t at) const {
    const std::vector<std::size_t> ends = characterEnds(line_);
    // The characters that end at or before `at`, taken from the last.
    auto count =
        static_cast<std::size_t>(std::upper_bound(ends.begin(), ends.end(), at) - ends.begin());
    const auto startOf = [&ends](std::size_t index) { return index == 0 ? 0 : ends[index - 1]; };
    const auto blank = [&](std::size_t index) {
        const std::size_t start = startOf(index);
        return ends[index] - start == 1 && (line_[start] == ' ' || line_[start] == '\t');
    };
    while (count > 0 && blank(count - 1)) {
        --count;
    }
    while (count > 0 && !blank(count - 1)) {
        --count;
    }
    return startOf(count);
}

namespace {

// The first code point of a character of the line, or none for a byte that
// is no UTF-8 (a character of several bytes is whole UTF-8).
char32_t firstPoint(std::string_view character) {
    const auto lead = static_cast<unsigned char>(character.front());
    if (character.size() == 1) {
        return lead < 0x80 ? lead : 0;
    }
    const std::size_t length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : 2;
    char32_t point = lead & (0x7fU >> length);
    for (std::size_t i = 1; i < length && i < character.size(); ++i) {
        point = (point << 6U) | (static_cast<unsigned char>(character[i]) & 0x3fU);
    }
    return point;
}

// A word is letters and digits, as readline has it. Beyond ASCII every
// character counts as a letter but the blanks and punctuation of Latin-1,
// of General Punctuation and of CJK Symbols and Punctuation.
bool inWord(char32_t point) {
    if (point < 0x80) {
        return (point >= '0' && point <= '9') || (point >= 'a' && point <= 'z') ||
               (point >= 'A' && point <= 'Z');
    }
    return point >= 0xc0 && point != 0xd7 && point != 0xf7 &&
           !(point >= 0x2000 && point < 0x2070) && !(point >= 0x3000 && point < 0x3040);
}

// Where each character of a line ends, and whether it belongs to a word.
struct Words {
    std::vector<std::size_t> ends;
    std::vector<bool> inWord;

    explicit Words(std::string_view line) : ends(characterEnds(line)) {
        for (std::size_t i = 0; i < ends.size(); ++i) {
            inWord.push_back(
                cellbound::inWord(firstPoint(line.substr(startOf(i), ends[i] - startOf(i)))));
        }
    }
    [[nodiscard]] std::size_t startOf(std::size_t index) const {
        return index == 0 ? 0 : ends[index - 1];
    }
    // How many characters end at or before the byte `at`.
    [[nodiscard]] std::size_t countTo(std::size_t at) const {
        return static_cast<std::size_t>(std::upper_bound(ends.begin(), ends.end(), at) -
                                        ends.begin());
    }
};

}  // namespace

// The start of the word before `at`, over whatever is no word after it.
std::size_t LineEditor::wordStartBefore(std::size_t at) const {
    const Words words(line_);
    std::size_t count = words.countTo(at);
    while (count > 0 && !words.inWord[count - 1]) {
        --count;
    }
    while (count > 0 && words.inWord[count - 1]) {
        --count;
    }
    return words.startOf(count);
}

// The end of the word after `at`, over whatever is no word before it.
std::size_t LineEditor::wordEndAfter(std::size_t at) const {
    const Words words(line_);
    std::size_t count = words.countTo(at);
    while (count < words.ends.size() && !words.inWord[count]) {
        ++count;
    }
    while (count < words.ends.size() && words.inWord[count]) {
        ++count;
    }
    return words.startOf(count);
}

void LineEditor::draw() {
    // The cursor never stands inside a character (a key may have joined the
    // character before it to the one after it).
    if (cursor_ > 0) {
        cursor_ = nextCharacter(previousCharacter(cursor_));
    }
    winsize size{};
    const std::size_t columns =
        ::ioctl(screenDescriptor_, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    show(view_.update(line_, cursor_, columns));
}

void LineEditor::show(std::string_view text) {
    screen_.write(text);
    if (!screen_.flush()) {
        end();
    }
}

}  // namespace cellbound
