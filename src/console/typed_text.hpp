#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cellbound {

// A line or a word as the player typed it. Typed input can be arbitrarily
// long, but the game only ever compares it with short fixed texts, so only a
// prefix is kept; anything longer is marked over-long and equals nothing.
class TypedText {
public:
    static constexpr std::size_t kKeptLength = 64;

    void append(char c) {
        if (text_.size() < kKeptLength) {
            text_.push_back(c);
        } else {
            overLong_ = true;
        }
    }

    [[nodiscard]] std::string_view text() const noexcept { return text_; }
    [[nodiscard]] bool overLong() const noexcept { return overLong_; }

    // Exact, case-sensitive comparison over the whole text.
    [[nodiscard]] bool operator==(std::string_view expected) const noexcept {
        return !overLong_ && text_ == expected;
    }

private:
    std::string text_;
    bool overLong_ = false;
};

}  // namespace cellbound
