#include "console/bytes.hpp"

namespace cellbound {

bool ByteSource::refill() {
    if (!ended_) {
        unread_ = refill_();
        ended_ = unread_.empty();
    }
    return !ended_;
}

bool ByteSink::flush() {
    std::string_view unsent = pending_;
    while (!failed_ && !unsent.empty()) {
        const std::size_t count = write_(unsent);
        failed_ = count == 0 || count > unsent.size();
        unsent.remove_prefix(failed_ ? unsent.size() : count);
    }
    pending_.clear();
    return !failed_;
}

}  // namespace cellbound
