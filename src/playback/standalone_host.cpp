#include "playback/standalone_host.h"

#include <filesystem>

#include "app/film_endings.h"
#include "extract/film_samples.h"
#include "playback/film_view.h"

namespace tesmira {

StandaloneHost::StandaloneHost(MessageSink showMessage) : showMessage_(std::move(showMessage)) {}

int StandaloneHost::AddFileToList(const QString& path) {
    if (!HasAcceptedEnding(path.toStdString())) return 0;
    if (!films_.contains(path)) films_ << path;
    return 1;
}

void StandaloneHost::PlayFile(const QString& path) {
    if (path.isEmpty()) return;
    currentFilm_ = path;
    records_.clear();
    const LocatorMessageSink sink = [this](const std::string& message) {
        if (showMessage_) showMessage_(QString::fromStdString(message));
    };
    const FilmSamples samples = LoadFilmSamples(std::filesystem::path(path.toStdU16String()), sink);
    records_.reserve(samples.samples.size());
    for (const DerivedSample& sample : samples.samples) records_.push_back(sample.sync);
    if (!films_.contains(path)) films_ << path;
    if (view_) view_->OpenFilm(path);
}

void StandaloneHost::OpenFilms(const QStringList& paths) {
    QString first;
    for (const QString& path : paths)
        if (AddFileToList(path) == 1 && first.isEmpty()) first = path;
    PlayFile(first);
}

void StandaloneHost::PlayPrevious(const QString& path) {
    playNeighbour(path, -1);
}

void StandaloneHost::PlayNext(const QString& path) {
    playNeighbour(path, 1);
}

void StandaloneHost::playNeighbour(const QString& path, int step) {
    const qsizetype index = films_.indexOf(path);
    if (index < 0) return;
    const qsizetype target = index + step;
    if (target < 0 || target >= films_.size()) return;
    PlayFile(films_.at(target));
}

}  // namespace tesmira
