#pragma once
// What the film list's widget tests share: one QApplication, a host that records
// the pane's calls, and readable QString failures.

#include <QApplication>
#include <QString>
#include <QStringList>
#include <ostream>

#include "filelist/film_list_host.h"

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace tesmira::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "filelist_widget_test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's global input devices must not outlive it at exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class FakeListHost : public FilmListHost {
public:
    void PlayFile(const QString& path) override {
        played << path;
        if (!path.isEmpty()) current = path;
    }
    QString CurrentFilm() const override { return current; }
    void StopFilmView() override { ++stops; }

    QString current;
    QStringList played;
    int stops = 0;
};

}  // namespace tesmira::test
