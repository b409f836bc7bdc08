#pragma once
// One film's records read on a thread of its own, while another film plays, so that
// the film after it starts without the wait. Qt-free.

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "extract/film_samples.h"

namespace tesmira {

class SamplePrefetch {
public:
    // Starts reading at once.
    SamplePrefetch(std::filesystem::path film, FilmLocators locators);
    // Waits for the reading to end: the locators may hold on to their caller's state.
    ~SamplePrefetch();

    SamplePrefetch(const SamplePrefetch&) = delete;
    SamplePrefetch& operator=(const SamplePrefetch&) = delete;

    // Waits for the reading to end and hands over what it found: the samples, and the
    // texts the locators would have shown, in their order, for the caller to show.
    FilmSamples Take(std::vector<std::string>& messages);

private:
    std::vector<std::string> messages_;
    FilmSamples samples_;
    std::thread reader_;
};

}  // namespace tesmira
