#pragma once
// Sends a film's track to the map page and drives its marker, in the order the
// page expects: stop, one path_plot per sample, then play from the start; play
// from a second on a resume, pause on a pause. Qt-free.

#include <vector>

#include "extract/gps_record.h"
#include "map/map_page.h"

namespace tesmira {

class TrackFeeder {
public:
    explicit TrackFeeder(MapPage& page) : page_(page) {}

    // A film is loading: the page forgets the previous track, then receives one
    // point per sample, shifted into the datum of `mapProvider`.
    void LoadTrack(const std::vector<DerivedSample>& samples, int mapProvider);

    // The single steps of LoadTrack, for a caller that walks the samples itself.
    void Stop();
    void PlotSample(const DerivedSample& sample, int mapProvider);

    // Playback started: the marker steps from sample 0 every `samplePeriodMs`.
    void Play(int samplePeriodMs);
    // Playback resumed or jumped to `second`: the marker steps once a second from there.
    void ResumeAt(int second);
    void Pause();

private:
    MapPage& page_;
};

}  // namespace tesmira
