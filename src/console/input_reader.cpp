#include "console/input_reader.hpp"

namespace cellbound {

int InputReader::next() {
    const int c = source_.take();
    if (c == '\r' && source_.peek() == '\n') {
        return source_.take();
    }
    return c;
}

std::optional<TypedText> InputReader::readLine() {
    int c = next();
    if (c == kEnd) {
        return std::nullopt;
    }
    TypedText line;
    while (c != '\n' && c != kEnd) {
        line.append(static_cast<char>(c));
        c = next();
    }
    return line;
}

std::optional<TypedText> InputReader::readWord() {
    int c = source_.peek();
    while (isWhiteSpace(c)) {
        static_cast<void>(next());
        c = source_.peek();
    }
    if (c == kEnd) {
        return std::nullopt;
    }
    TypedText word;
    while (c != kEnd && !isWhiteSpace(c)) {
        word.append(static_cast<char>(c));
        static_cast<void>(source_.take());
        c = source_.peek();
    }
    return word;
}

}  // namespace cellbound
