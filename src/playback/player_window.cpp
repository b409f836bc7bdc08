#include "playback/player_window.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <clocale>
#include <memory>

#include "app/app_paths.h"
#include "app/language_pack.h"
#include "app/retext.h"
#include "playback/film_view.h"
#include "playback/standalone_host.h"
#include "widgets/app_icon.h"

namespace tesmira {

int RunPlayerWindow(int argc, char** argv) {
    QApplication application(argc, argv);
    // libmpv needs C number formatting, and Qt has just set the locale.
    std::setlocale(LC_NUMERIC, "C");
    InitAppPaths(argc, argv);
    // Windows and boxes carry the product's name and icon, not the program file's.
    QApplication::setApplicationDisplayName(QStringLiteral("Tesmira"));
    QApplication::setWindowIcon(TesmiraIcon());

    QWidget window;
    window.setWindowTitle("Tesmira");
    StandaloneHost host([&window](const QString& message) {
        QMessageBox::information(&window, QStringLiteral("Tesmira"), message);
    });
    auto* view = new CFilmView(host, nullptr, &window);
    host.setView(view);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);

    ApplyLanguage("");
    ReTextWindow(&window, 102);
    ReTextWindow(view, 104);
    if (view->playText().isEmpty()) view->setPlayText("play");
    if (view->pauseText().isEmpty()) view->setPauseText("pause");

    const QRect screen = application.primaryScreen()->availableGeometry();
    window.setGeometry(screen.x() + screen.width() * 2 / 10, screen.y() + screen.height() / 10,
                       screen.width() * 6 / 10, screen.height() * 8 / 10);
    window.show();

    // The whole tail of the command line, without its surrounding quotes.
    QString film = QString::fromStdString(CommandLineFilm());
    while (film.startsWith('"')) film.remove(0, 1);
    while (film.endsWith('"')) film.chop(1);
    if (!film.isEmpty() && HasFilmEnding(film)) host.PlayFile(film);

    return application.exec();
}

}  // namespace tesmira
