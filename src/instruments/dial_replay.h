#pragma once
// The replay state shared by the speedometer and the compass: one value per film sample,
// stepped on by one sample per timer tick. The widget owns the timer; this class decides.

#include <cstddef>
#include <mutex>
#include <vector>

namespace tesmira {

class DialReplay {
public:
    // Appends under the lock.
    void AddValue(double value);
    // Discards every value under the lock and deactivates. Returns false, changing
    // nothing, when there were no values (the caller then leaves its timer alone).
    bool ClearValues();

    void SetPeriod(int milliseconds) { period_ = milliseconds; }
    // A film load rewinds to the first sample without activating or touching a timer.
    void SetPosition(int position) { position_ = position; }
    // Sets the position and activates; returns whether the timer is to run (period above 0).
    bool StartAt(int position);
    // Hides the needle; the position and the values stay.
    void Halt() { active_ = false; }

    // One timer tick: moves on by one sample while samples remain. Returns false when the
    // replay has reached the end and the timer must stop.
    bool Tick();

    // Runs f on the values while holding the lock, so a paint never copies them.
    template <class F>
    auto WithValues(F&& f) const {
        std::lock_guard<std::mutex> guard(lock_);
        return f(values_);
    }
    std::size_t ValueCount() const;
    int Position() const { return position_; }
    int Period() const { return period_; }
    bool Active() const { return active_; }

private:
    mutable std::mutex lock_;  // guards values_
    std::vector<double> values_;
    int position_ = 0;
    int period_ = 0;
    bool active_ = false;
};

}  // namespace tesmira
