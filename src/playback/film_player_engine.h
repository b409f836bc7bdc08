#pragma once
// The film pane's engine on libmpv: FilmEngine over FilmPlayer.

#include <memory>

#include "playback/film_engine.h"

namespace tesmira {

std::unique_ptr<FilmEngine> MakeFilmPlayerEngine();

}  // namespace tesmira
