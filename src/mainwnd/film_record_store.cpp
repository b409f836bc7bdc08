#include "mainwnd/film_record_store.h"

#include <utility>

#include "extract/g_events.h"

namespace tesmira {

FilmRecords SummariseRecords(const std::vector<DerivedSample>& samples, bool hasSamples,
                             double thresholdG) {
    FilmRecords records;
    records.hasRecords = hasSamples && !samples.empty();
    if (!records.hasRecords) return records;
    records.track.reserve(samples.size());
    for (const DerivedSample& sample : samples)
        records.track.push_back({sample.latitude, sample.longitude, sample.fixValid});
    records.events = FindGEvents(samples, thresholdG);
    return records;
}

bool FilmRecordStore::Put(const std::string& path, FilmRecords records) {
    if (byPath_.count(path) != 0) return false;
    byPath_.emplace(path, std::make_shared<const FilmRecords>(std::move(records)));
    return true;
}

const FilmRecords* FilmRecordStore::Find(const std::string& path) const {
    return Share(path).get();
}

std::shared_ptr<const FilmRecords> FilmRecordStore::Share(const std::string& path) const {
    const auto found = byPath_.find(path);
    return found == byPath_.end() ? nullptr : found->second;
}

}  // namespace tesmira
