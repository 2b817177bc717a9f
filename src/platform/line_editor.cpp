#include "platform/line_editor.hpp"

#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/descriptors.hpp"
#include "platform/terminal_state.hpp"

namespace cellbound {

namespace {

using keys::alt;
using keys::ctrl;
using keys::Key;

constexpr std::size_t kHistoryLength = 500;
constexpr Key kNone = Key::None;

// A key that puts itself into the line: a character, a Tab, a byte that is
// no UTF-8.
bool isText(Key key) {
    const auto code = static_cast<unsigned>(key);
    return key == Key::Text || code == '\t' || (code >= 0x20 && code < 0x100 && code != 0x7f);
}

bool isBlank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

constinit const std::array<LineEditor::Binding, 19> LineEditor::kBindings{{
    {{Key::Left, ctrl('B')}, [](LineEditor& e) { e.cursor_ = e.previousCharacter(); }},
    {{Key::Right, ctrl('F')}, [](LineEditor& e) { e.cursor_ = e.nextCharacter(); }},
    {{Key::Home, ctrl('A')}, [](LineEditor& e) { e.cursor_ = 0; }},
    {{Key::End, ctrl('E')}, [](LineEditor& e) { e.cursor_ = e.line_.size(); }},
    {{Key::WordLeft, alt('b')},
     [](LineEditor& e) { e.cursor_ = e.overWord(&Character::inWord, false); }},
    {{Key::WordRight, alt('f')},
     [](LineEditor& e) { e.cursor_ = e.overWord(&Character::inWord, true); }},
    {{keys::byte(0x7f), ctrl('H')},
     [](LineEditor& e) { e.eraseTo(e.previousCharacter(), e.cursor_); }},
    {{Key::Delete, kNone}, [](LineEditor& e) { e.eraseTo(e.cursor_, e.nextCharacter()); }},
    {{ctrl('D'), kNone},
     [](LineEditor& e) {
         if (!e.line_.empty()) {
             return e.eraseTo(e.cursor_, e.nextCharacter());
         }
         e.draw();  // keys typed with it may have emptied the line
         e.end();
     }},
    {{ctrl('K'), kNone}, [](LineEditor& e) { e.eraseTo(e.cursor_, e.line_.size()); }},
    {{ctrl('U'), kNone}, [](LineEditor& e) { e.eraseTo(0, e.cursor_); }},
    {{ctrl('W'), kNone},
     [](LineEditor& e) { e.eraseTo(e.overWord(&Character::notBlank, false), e.cursor_); }},
    {{alt(0x7f), alt(0x08)},
     [](LineEditor& e) { e.eraseTo(e.overWord(&Character::inWord, false), e.cursor_); }},
    {{alt('d'), Key::DeleteWordAfter},
     [](LineEditor& e) { e.eraseTo(e.cursor_, e.overWord(&Character::inWord, true)); }},
    {{Key::Up, ctrl('P')}, [](LineEditor& e) { e.recall(e.recalled_ - 1); }},
    {{Key::Down, ctrl('N')}, [](LineEditor& e) { e.recall(e.recalled_ + 1); }},
    {{ctrl('L'), kNone}, [](LineEditor& e) { e.show(e.view_.clearScreen()); }},
    {{ctrl('V'), kNone}, [](LineEditor& e) { e.literalNext_ = true; }},
    {{ctrl('M'), ctrl('J')}, [](LineEditor& e) { e.enter(); }},
}};

LineEditor::LineEditor(int keyboard, int screenDescriptor, ByteSink& screen, std::string_view term)
    : keyboard_(keyboard), screenDescriptor_(screenDescriptor), screen_(screen) {
    view_.setRewrapping(terminal_state::rewrapsRows(term));
}

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
    decoder_.reset();
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

// Presses keys until the line is sent or ended, then draws as type() says.
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
            const char literal = static_cast<char>(byte);
            insert({&literal, 1});
        }
        return;
    }
    if (terminal_state::sendSignalOf(byte)) {
        decoder_.reset();
        // Back from a stop: the shell has moved the screen on.
        if (terminal_state::takeNews() == terminal_state::News::Continued) {
            view_.movedToFreshRow();
        }
        return;
    }
    keys::Step step = decoder_.feed(byte);
    if (step == keys::Step::Before) {
        act(decoder_.key());
        step = state_ == State::Editing ? decoder_.feed(byte) : keys::Step::More;
    }
    if (step == keys::Step::Whole) {
        act(decoder_.key());
    }
}

// Every key is taken whole; one that is not bound does nothing.
void LineEditor::act(Key key) {
    for (const Binding& binding : kBindings) {
        if (std::ranges::find(binding.keys, key) != binding.keys.end()) {
            return binding.action(*this);
        }
    }
    if (isText(key)) {
        insert(decoder_.text());
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

void LineEditor::insert(std::string_view bytes) {
    if (line_.size() + bytes.size() <= kLongestLine) {
        line_.insert(cursor_, bytes);
        cursor_ += bytes.size();
    }
}

void LineEditor::eraseTo(std::size_t from, std::size_t to) {
    line_.erase(from, to - from);
    cursor_ = from;
}

// Up at the oldest line wraps `index` round: nothing to recall either way.
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

const Characters& LineEditor::characters() {
    if (charactersOf_ != line_) {
        characters_ = charactersOf(line_);
        charactersOf_ = line_;
    }
    return characters_;
}

// How many characters end at or before the byte `at`.
std::size_t LineEditor::count(std::size_t at) {
    const Characters& all = characters();
    return static_cast<std::size_t>(std::ranges::upper_bound(all, at, {}, &Character::end) -
                                    all.begin());
}

// Over what is no word, then over the word: back from the cursor to the
// start of a word, or on to its end.
std::size_t LineEditor::overWord(bool Character::*inWord, bool forward) {
    const Characters& all = characters();
    std::size_t n = count(cursor_);
    for (const bool word : {false, true}) {
        while (forward ? n < all.size() && all[n].*inWord == word
                       : n > 0 && all[n - 1].*inWord == word) {
            n = forward ? n + 1 : n - 1;
        }
    }
    return n == 0 ? 0 : all[n - 1].end;
}

// The start of the character before the cursor, and the end of the one after it.
std::size_t LineEditor::previousCharacter() {
    return cursor_ == 0 ? 0 : characters()[count(cursor_ - 1)].begin;
}

std::size_t LineEditor::nextCharacter() {
    const std::size_t n = count(cursor_);
    return n < characters().size() ? characters()[n].end : line_.size();
}

void LineEditor::draw() {
    // The cursor never stands inside a character (a key may have joined the
    // character before it to the one after it).
    if (cursor_ > 0) {
        cursor_ = characters()[count(cursor_ - 1)].end;
    }
    winsize size{};
    const std::size_t columns =
        ::ioctl(screenDescriptor_, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    show(view_.update(characters(), cursor_, columns));
}

void LineEditor::show(std::string_view text) {
    screen_.write(text);
    if (!screen_.flush()) {
        end();
    }
}

}  // namespace cellbound
