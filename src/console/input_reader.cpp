#include "console/input_reader.hpp"

namespace cellbound {

namespace {
using Traits = std::streambuf::traits_type;
}

int InputReader::peek() {
    if (ended_) {
        return kEnd;
    }
    const int c = source_.sgetc();
    if (Traits::eq_int_type(c, Traits::eof())) {
        ended_ = true;
        return kEnd;
    }
    return Traits::to_int_type(Traits::to_char_type(c));
}

int InputReader::next() {
    const int c = peek();
    if (c == kEnd) {
        return kEnd;
    }
    source_.sbumpc();
    if (c == '\r' && peek() == '\n') {
        source_.sbumpc();
        return '\n';
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
    int c = peek();
    while (isWhiteSpace(c)) {
        static_cast<void>(next());
        c = peek();
    }
    if (c == kEnd) {
        return std::nullopt;
    }
    TypedText word;
    while (c != kEnd && !isWhiteSpace(c)) {
        word.append(static_cast<char>(c));
        source_.sbumpc();
        c = peek();
    }
    return word;
}

}  // namespace cellbound
