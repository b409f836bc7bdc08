#include "instruments/dial_replay.h"

namespace tesmira {

void DialReplay::AddValue(double value) {
    std::lock_guard<std::mutex> guard(lock_);
    values_.push_back(value);
}

bool DialReplay::ClearValues() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (values_.empty()) return false;
        values_.clear();
    }
    active_ = false;
    return true;
}

bool DialReplay::StartAt(int position) {
    position_ = position;
    active_ = true;
    return period_ > 0;
}

bool DialReplay::Tick() {
    // Compared as unsigned, so a negative position counts as past the end and stops.
    if (static_cast<unsigned>(position_) < ValueCount()) {
        ++position_;
        return true;
    }
    return false;
}

std::size_t DialReplay::ValueCount() const {
    std::lock_guard<std::mutex> guard(lock_);
    return values_.size();
}

}  // namespace tesmira
