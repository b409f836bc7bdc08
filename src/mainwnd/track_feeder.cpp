#include "mainwnd/track_feeder.h"

#include <string>

#include "mainwnd/track_texts.h"

namespace tesmira {

void TrackFeeder::LoadTrack(const std::vector<DerivedSample>& samples, int mapProvider) {
    Stop();
    for (const DerivedSample& sample : samples) PlotSample(sample, mapProvider);
}

void TrackFeeder::Stop() {
    page_.CallPageFunction("stop");
}

void TrackFeeder::PlotSample(const DerivedSample& sample, int mapProvider) {
    MapTexts texts = MapTextsForSample(sample, mapProvider);
    page_.CallPageFunction("path_plot", {std::move(texts.longitude), std::move(texts.latitude)});
}

void TrackFeeder::Play(int samplePeriodMs) {
    page_.CallPageFunction("play", {"0", std::to_string(samplePeriodMs)});
}

void TrackFeeder::ResumeAt(int second) {
    page_.CallPageFunction("play", {std::to_string(second), "1000"});
}

void TrackFeeder::Pause() {
    page_.CallPageFunction("pause");
}

}  // namespace tesmira
