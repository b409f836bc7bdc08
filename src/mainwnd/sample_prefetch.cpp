#include "mainwnd/sample_prefetch.h"

#include <utility>

namespace tesmira {

SamplePrefetch::SamplePrefetch(std::filesystem::path film, FilmLocators locators)
    : reader_([this, film = std::move(film), locators = std::move(locators)] {
          // A message box belongs to the UI thread: the texts wait for the hand-over.
          const LocatorMessageSink keep = [this](const std::string& text) {
              messages_.push_back(text);
          };
          try {
              samples_ = LoadFilmSamples(film, keep, locators);
          } catch (...) {
              // Out of memory, say: the film plays without records, as one without any.
              samples_ = FilmSamples{};
          }
      }) {}

SamplePrefetch::~SamplePrefetch() {
    if (reader_.joinable()) reader_.join();
}

FilmSamples SamplePrefetch::Take(std::vector<std::string>& messages) {
    if (reader_.joinable()) reader_.join();
    messages = std::move(messages_);
    return std::move(samples_);
}

}  // namespace tesmira
