#pragma once
// What the film pane needs of the window it sits in: the film state, the
// display records and the operations that keep map, instruments and film list
// in step. The main window implements it; tests and the stand-alone player
// window hand their own.

#include <QString>
#include <QStringList>
#include <vector>

#include "extract/gps_record.h"

namespace tesmira {

class FilmHost {
public:
    virtual ~FilmHost() = default;

    // 1 when the file is in the film list afterwards, 0 when it is not a film or
    // does not exist.
    virtual int AddFileToList(const QString& path) = 0;
    // Makes the path the current film, loads its records and opens it.
    virtual void PlayFile(const QString& path) = 0;
    // Lists the films that are films, oldest first, and plays the oldest (dropped
    // files, as the open command takes a choice of several).
    virtual void OpenFilms(const QStringList& paths) = 0;
    // Realigns map and instruments at a whole second given as decimal text.
    virtual void ResumeSync(const QString& position) = 0;
    virtual void PauseMapTrack() = 0;
    virtual void StopInstrumentTimers() = 0;
    // The film's position moved on its own or without a resume (a refresh tick while
    // playing, a seek or a frame step while paused) to `position` seconds, as the pane
    // has just read it and shown it in its own labels: every other pane that shows
    // another second than the film is set to the film's. A host without such panes
    // ignores it.
    virtual void FollowFilm(double position) { (void)position; }
    // The playback speed became `factor` (1.0 normal): what steps on its own timer
    // steps that much faster.
    virtual void SpeedChanged(double factor) { (void)factor; }
    // PgDn (direction > 0) and PgUp: to the next or previous G-sensor event, across the
    // listed films at the film's ends. A host without events ignores it.
    virtual void JumpToEvent(int direction) { (void)direction; }
    // The film after the current one, at the end of a film.
    virtual void PlayNextFilm() = 0;
    // The film list's neighbours of a path.
    virtual void PlayPrevious(const QString& path) = 0;
    virtual void PlayNext(const QString& path) = 0;

    virtual QString CurrentFilm() const = 0;
    // One display record per second of the current film.
    virtual const std::vector<VIDEO_SYNC_OUTPUT_T>& SyncRecords() const = 0;
};

}  // namespace tesmira
