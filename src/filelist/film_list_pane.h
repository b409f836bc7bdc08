#pragma once
// The film list pane: the player's playlist of the films opened or dropped since
// start-up, one row per file name, with path (hidden), name, playing time, creation
// date-time, size, resolution and the number of G-sensor events. It opens films and stops the film
// view only through FilmListHost.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "filelist/film_list_host.h"

class QMenu;

namespace tesmira {

class SortableListView;

class FilmListPane : public QWidget {
    Q_OBJECT

public:
    enum Id {
        kDialogId = 105,  // re-texted as this dialog: IDD105_1003_0 ... _5
        kListId = 1003,
        kDeleteCommand = 32773,
        kDeleteAllCommand = 32774,
    };
    enum Column {
        kPathColumn = 0,  // hidden; the row's identity for select, next, open and delete
        kNameColumn = 1,  // the row's identity for duplicates and updates
        kTimeColumn = 2,
        kDateTimeColumn = 3,
        kSizeColumn = 4,
        kResolutionColumn = 5,
        kEventsColumn = 6,  // empty until the film's records have been read
        kColumnCount = 7,
    };
    // The Events heading: language key, and the text used when the language file lacks
    // it. Its own key: the language files' column-6 key names another column.
    static constexpr char kEventsHeadingKey[] = "IDD105_events";
    static constexpr char kEventsHeadingText[] = "Events";
    static constexpr int kRowHeight = 20;

    explicit FilmListPane(FilmListHost& host, QWidget* parent = nullptr);
    ~FilmListPane() override;

    // Appends a row; an empty path adds nothing.
    void InsertFilm(const QString& path, const QString& name, const QString& sizeText,
                    const QString& dateTimeText, const QString& timeText,
                    const QString& resolutionText);
    // Writes time, date-time, size and resolution into the first row of that name
    // (its path stays), or appends a row when there is none; an empty path does nothing.
    void UpdateFilm(const QString& path, const QString& name, const QString& sizeText,
                    const QString& dateTimeText, const QString& timeText,
                    const QString& resolutionText);
    // Fills the empty Time cells of the rows whose path is a key (a film read in the
    // background); a time the played film already gave stays.
    void FillTimes(const QHash<QString, QString>& timeByPath);
    // Fills the empty Events cells likewise.
    void FillEvents(const QHash<QString, QString>& countByPath);
    // The rows' paths, top to bottom.
    QStringList Paths() const;
    // Focuses the list and selects the first row of that path, without scrolling.
    void SelectFilm(const QString& path);
    // Plays the row before or after the first row of that path; nothing at the ends
    // (no wrap-around) or when no row has the path.
    void PlayPrevious(const QString& path);
    void PlayNext(const QString& path);
    // The path of the row `step` rows from the first row of that path; empty past the
    // ends or when no row has the path.
    QString NeighbourPath(const QString& path, int step) const;

    // The first row whose path or name is exactly the text, or -1.
    int FindPath(const QString& path) const;
    int FindName(const QString& name) const;

    // The list's double-click (and Enter): plays the selected row.
    void OnDblClick();
    // Menu commands 32773 and 32774 (and the Delete key for the first). When the
    // playing film's row goes, the row after it plays; with none left, nothing does.
    void OnDelete();
    void OnDeleteAll();

    SortableListView& List() const { return *list_; }
    // Shown by a right click on a row; its actions carry "commandId".
    QMenu* ContextMenu() const { return menu_; }

protected:
    // Files and folders dropped on the rows go to the host.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillEmpty(int column, const QHash<QString, QString>& textByPath);
    void reTextEventsHeading();
    void playNeighbour(const QString& path, int step);
    void onRightClick(int row, const QPoint& globalPos);
    // Widens columns first..last (never the hidden path) to their heading and cells.
    void fitColumns(int first, int last);
    // Widens a column to one changed cell when it needs more room.
    void fitCell(int row, int column);

    FilmListHost& host_;
    SortableListView* list_;
    QMenu* menu_;
    int narrowest_[kColumnCount] = {};  // the width each column is made with
};

}  // namespace tesmira
