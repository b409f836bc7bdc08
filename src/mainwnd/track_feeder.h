#pragma once
// Sends a film's track to the map page and drives its marker, in the order the
// page expects: stop, one path_plot per sample, then play from the start; play
// from a second on a resume, pause on a pause. It keeps the film's positions, so
// that a page which replaces the one that had the track (another provider, another
// language) can be given it again. Qt-free.

#include <vector>

#include "extract/gps_record.h"
#include "map/map_page.h"

namespace tesmira {

class TrackFeeder {
public:
    explicit TrackFeeder(MapPage& page) : page_(page) {}

    // A film is loading (or its samples were rejected): the page forgets the
    // previous track, and so does the feeder.
    void Stop();
    // One sample, in sample order, shifted into the datum of `mapProvider`.
    void PlotSample(const DerivedSample& sample, int mapProvider);

    // Playback started: the marker steps from sample 0 every `samplePeriodMs`.
    void Play(int samplePeriodMs);
    // Playback resumed or jumped to `second`: the marker steps once a second from there
    // (every `periodMs` at another playback speed).
    void ResumeAt(int second, int periodMs = 1000);
    void Pause();

    // A new page (of `mapProvider`) replaced the one that had the track: it gets
    // the whole track again with the marker at `second`, stepping once a second
    // when `running` (every `periodMs`), else paused there. Nothing when no track was
    // plotted.
    void Resend(int mapProvider, int second, bool running, int periodMs = 1000);
    bool HasTrack() const { return !kept_.empty(); }

private:
    // What the texts are made of, per sample: the fix and the film's own position.
    struct Position {
        bool fixValid;
        double longitude;
        double latitude;
    };
    void plot(const Position& position, int mapProvider);

    MapPage& page_;
    std::vector<Position> kept_;
};

}  // namespace tesmira
