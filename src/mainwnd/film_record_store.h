#pragma once
// What the window keeps of every listed film's records once they have been read: the
// track for the map and the event seconds, small enough for a card of a thousand
// films. Qt-free.

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "extract/gps_record.h"

namespace tesmira {

// One record's place; latitude and longitude are 0 without a fix.
struct TrackPoint {
    double latitude = 0;
    double longitude = 0;
    bool fix = false;
};

struct FilmRecords {
    bool hasRecords = false;        // the film has samples (any record source)
    std::vector<TrackPoint> track;  // one per record, in order; the record's second is its index
    std::vector<int> events;        // FindGEvents of the samples, ascending
};

// The track and events of a film's samples, events at thresholdG.
FilmRecords SummariseRecords(const std::vector<DerivedSample>& samples, bool hasSamples,
                             double thresholdG);

// Records by film path (UTF-8).
class FilmRecordStore {
public:
    // Keeps the first records put for a path: the playing film's, read on the UI thread,
    // are never replaced by the same film's read in the background.
    // True when the path had none yet.
    bool Put(const std::string& path, FilmRecords records);
    // Null while the film has not been read.
    const FilmRecords* Find(const std::string& path) const;
    // The same records, shared with whoever keeps them too (the trip on the map), so that
    // a long card's tracks are held once.
    std::shared_ptr<const FilmRecords> Share(const std::string& path) const;
    // Drops every path for which `listed` is false.
    template <typename Listed>
    void RetainIf(Listed listed) {
        std::erase_if(byPath_, [&](const auto& entry) { return !listed(entry.first); });
    }
    std::size_t size() const { return byPath_.size(); }

private:
    std::unordered_map<std::string, std::shared_ptr<const FilmRecords>> byPath_;
};

}  // namespace tesmira
