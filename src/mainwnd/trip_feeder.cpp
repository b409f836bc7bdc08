#include "mainwnd/trip_feeder.h"

#include <algorithm>

#include "mainwnd/track_texts.h"

namespace tesmira {

void TripFeeder::Add(int id, std::shared_ptr<const FilmRecords> film) {
    if (!film) return;
    films_[id] = std::move(film);
    if (std::find(pending_.begin(), pending_.end(), id) == pending_.end()) pending_.push_back(id);
}

void TripFeeder::Remove(int id) {
    if (films_.erase(id) == 0) return;
    pending_.erase(std::remove(pending_.begin(), pending_.end(), id), pending_.end());
    if (shown_) page_.CallPageFunction("trip_remove", {std::to_string(id)});
}

void TripFeeder::SetShown(bool shown) {
    if (shown == shown_) return;
    shown_ = shown;
    if (shown) {
        queueAll();
        fitPending_ = true;
        if (highlighted_ != kNoFilm)
            page_.CallPageFunction("trip_highlight", {std::to_string(highlighted_)});
    } else {
        fitPending_ = false;
        page_.CallPageFunction("trip_clear");
    }
}

void TripFeeder::Highlight(int id) {
    if (id == highlighted_) return;
    highlighted_ = id;
    if (shown_)
        page_.CallPageFunction("trip_highlight",
                               {id == kNoFilm ? std::string() : std::to_string(id)});
}

void TripFeeder::queueAll() {
    pending_.clear();
    for (const auto& [id, film] : films_) pending_.push_back(id);
}

void TripFeeder::PageReplaced() {
    if (!shown_) return;
    queueAll();
    fitPending_ = true;
    if (highlighted_ != kNoFilm)
        page_.CallPageFunction("trip_highlight", {std::to_string(highlighted_)});
}

void TripFeeder::Flush(int mapProvider, bool listRead) {
    if (!shown_) return;
    if (!pending_.empty()) {
        std::size_t taken = 0;
        std::size_t points = 0;
        while (taken < pending_.size() && points < kPointsPerCall) {
            const auto found = films_.find(pending_[taken++]);
            if (found != films_.end()) points += found->second->track.size();
        }
        const std::vector<int> sent(pending_.begin(), pending_.begin() + taken);
        pending_.erase(pending_.begin(), pending_.begin() + taken);
        page_.CallPageFunction("trip_add", {FilmsJson(sent, mapProvider)});
    }
    if (fitPending_ && listRead && pending_.empty() && !films_.empty()) {
        page_.CallPageFunction("trip_fit");
        fitPending_ = false;
    }
}

std::string TripFeeder::FilmsJson(const std::vector<int>& ids, int mapProvider) const {
    std::string json = "[";
    for (int id : ids) {
        const auto found = films_.find(id);
        if (found == films_.end()) continue;
        const FilmRecords& film = *found->second;
        if (json.size() > 1) json += ',';
        json += "{\"id\":" + std::to_string(id) + ",\"points\":[";
        // Texts made as for the single track: the same shift and the same "no fix".
        DerivedSample sample;
        for (std::size_t i = 0; i < film.track.size(); ++i) {
            if (i != 0) json += ',';
            sample.fixValid = film.track[i].fix;
            sample.longitude = film.track[i].longitude;
            sample.latitude = film.track[i].latitude;
            const MapTexts texts = MapTextsForSample(sample, mapProvider);
            if (texts.latitude == "V") {
                json += "null";
            } else {
                json += '[';
                json += texts.latitude;
                json += ',';
                json += texts.longitude;
                json += ']';
            }
        }
        json += "],\"events\":[";
        bool first = true;
        for (int second : film.events) {
            if (second < 0 || static_cast<std::size_t>(second) >= film.track.size()) continue;
            if (!first) json += ',';
            json += std::to_string(second);
            first = false;
        }
        json += "]}";
    }
    json += ']';
    return json;
}

}  // namespace tesmira
