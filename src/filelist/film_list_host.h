#pragma once
// What the film list needs of the window it sits in. PlayFile, OpenFilms and CurrentFilm have
// the same signatures as in FilmHost, so a main window implementing both interfaces
// serves both panes with one function each; tests hand a fake.

#include <QString>
#include <QStringList>

namespace tesmira {

class FilmListHost {
public:
    virtual ~FilmListHost() = default;

    // Makes the path the current film, loads its records and opens it.
    virtual void PlayFile(const QString& path) = 0;
    // Files and folders dropped on the list: the films among them and in the folders
    // are listed oldest first and the oldest plays, as when dropped on the picture.
    virtual void OpenFilms(const QStringList& paths) = 0;
    // The path of the film loaded now (empty before the first).
    virtual QString CurrentFilm() const = 0;
    // Nothing plays afterwards: the film view lets go of the film, which is no longer
    // current, so Play does nothing until another film is opened.
    virtual void CloseFilm() = 0;
};

}  // namespace tesmira
