#include "console/console.hpp"

namespace cellbound {

void Console::message(std::string_view text) {
    out_.write(text);
    out_.write("\n");
    out_.flush();
}

void Console::list(std::string_view heading, const std::vector<std::string>& names,
                   std::string_view whenEmpty) {
    if (names.empty()) {
        message(whenEmpty);
        return;
    }
    message(heading);
    for (const auto& name : names) {
        message(name);
    }
}

void Console::prompt(std::string_view text) {
    const auto lineStart = text.rfind('\n') + 1;  // 0 when there is no line feed
    if (prompts_ && prompts_(text.substr(lineStart))) {
        text = text.substr(0, lineStart);
    }
    print(text);
}

void Console::print(std::string_view text) {
    out_.write(text);
    out_.flush();
}

void Console::setColour(Colour colour) {
    if (colours_) {
        colours_(colour);
    }
}

std::optional<TypedText> Console::readLine() {
    if (!out_.flush()) {
        return std::nullopt;
    }
    return in_.readLine();
}

std::optional<TypedText> Console::readWord() {
    if (!out_.flush()) {
        return std::nullopt;
    }
    return in_.readWord();
}

void Console::discardOne() {
    if (out_.flush()) {
        in_.discardOne();
    }
}

bool Console::awaitReply(Read read, std::string_view expected, std::string_view hint) {
    for (auto reply = (this->*read)(); reply; reply = (this->*read)()) {
        if (*reply == expected) {
            return true;
        }
        message(hint);
    }
    return false;
}

}  // namespace cellbound
