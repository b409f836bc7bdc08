#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace tesmira::test {

// The one QApplication of a test program (created on first use, numeric locale "C" for libmpv).
void ensureApplication();

// Folder for films made by ffmpeg for the tests; made films are kept between runs.
QString filmFolder();

// Makes `name` in filmFolder() with ffmpeg `args` (output path appended) unless it exists.
// Returns the path, or an empty string when ffmpeg failed.
QString makeFilm(const QString& name, const QStringList& args);

// Standard films: 320x240 test pattern at 10 frames/s with a key frame every 2 s and sound.
QString patternFilm(double seconds);
QString soundOnlyFilm();

// Processes Qt events until `done` holds or `maxMs` passed; returns done().
bool pumpUntil(const std::function<bool()>& done, int maxMs = 15000);
// Processes Qt events for `ms` milliseconds.
void pumpFor(int ms);

}  // namespace tesmira::test
