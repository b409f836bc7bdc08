#pragma once
// Sends the whole trip to the map page: every listed film's track, each its own
// line, with its event seconds, the playing film highlighted. Films are kept whether the
// trip is shown or not (their records are read once), and those that joined since the
// last send go to the page together in one call, so that a long trip reaches it in a few
// calls rather than one per film. A page that replaces the shown one is given the whole
// trip again, in its own provider's datum. Qt-free.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "mainwnd/film_record_store.h"
#include "map/map_page.h"

namespace tesmira {

class TripFeeder {
public:
    static constexpr int kNoFilm = -1;

    explicit TripFeeder(MapPage& page) : page_(page) {}

    // A film was read (again): kept (shared with the window's store, not copied), and sent
    // with the next Flush while the trip is shown.
    void Add(int id, std::shared_ptr<const FilmRecords> film);
    // A film left the list: off the map and forgotten.
    void Remove(int id);
    bool Has(int id) const { return films_.count(id) != 0; }
    std::size_t FilmCount() const { return films_.size(); }

    // Shown: every kept film is sent with the next Flush, and the view is fitted to the
    // trip once (see Flush). Hidden: the page forgets the trip.
    void SetShown(bool shown);
    bool Shown() const { return shown_; }
    // The playing film, drawn on top in the track colour (kNoFilm: none).
    void Highlight(int id);

    // A call carries films until it holds this many points: a day of films goes in a few
    // calls, none of which holds the window long while it is written.
    static constexpr std::size_t kPointsPerCall = 15000;

    // Sends films that joined since the last send, in the order they joined, in one call of
    // about kPointsPerCall points at most (HasPending tells whether more are waiting),
    // shifted into the datum of `mapProvider`. The fit asked for by SetShown or PageReplaced
    // is made after the last of them once the films of the list have all been read
    // (`listRead`) and there is a film to fit.
    void Flush(int mapProvider, bool listRead);
    bool HasPending() const { return shown_ && !pending_.empty(); }

    // A new page replaced the one that had the trip: it is sent whole with the next Flush,
    // highlighted and fitted again.
    void PageReplaced();

    // The page argument of trip_add for these films (a JSON array).
    std::string FilmsJson(const std::vector<int>& ids, int mapProvider) const;

private:
    void queueAll();

    MapPage& page_;
    std::map<int, std::shared_ptr<const FilmRecords>> films_;
    std::vector<int> pending_;  // ids to send, in the order they joined
    bool shown_ = false;
    bool fitPending_ = false;
    int highlighted_ = kNoFilm;
};

}  // namespace tesmira
