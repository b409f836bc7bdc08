#include "mainwnd/track_feeder.h"

#include <string>

#include "mainwnd/track_texts.h"

namespace tesmira {

void TrackFeeder::Stop() {
    kept_.clear();
    kept_.shrink_to_fit();
    page_.CallPageFunction("stop");
}

void TrackFeeder::PlotSample(const DerivedSample& sample, int mapProvider) {
    kept_.push_back({sample.fixValid, sample.longitude, sample.latitude});
    plot(kept_.back(), mapProvider);
}

void TrackFeeder::plot(const Position& position, int mapProvider) {
    DerivedSample sample;
    sample.fixValid = position.fixValid;
    sample.longitude = position.longitude;
    sample.latitude = position.latitude;
    MapTexts texts = MapTextsForSample(sample, mapProvider);
    page_.CallPageFunction("path_plot", {std::move(texts.longitude), std::move(texts.latitude)});
}

void TrackFeeder::Play(int samplePeriodMs) {
    page_.CallPageFunction("play", {"0", std::to_string(samplePeriodMs)});
}

void TrackFeeder::ResumeAt(int second, int periodMs) {
    page_.CallPageFunction("play", {std::to_string(second), std::to_string(periodMs)});
}

void TrackFeeder::Pause() {
    page_.CallPageFunction("pause");
}

void TrackFeeder::Resend(int mapProvider, int second, bool running, int periodMs) {
    if (kept_.empty()) return;
    page_.CallPageFunction("stop");
    // The texts of the new page's provider: the datum shift differs between providers.
    for (const Position& position : kept_) plot(position, mapProvider);
    ResumeAt(second, periodMs);
    if (!running) Pause();
}

}  // namespace tesmira
