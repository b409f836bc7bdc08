#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QVBoxLayout>

#include "app/app_paths.h"
#include "app/ini_profile.h"
#include "app/language_pack.h"
#include "app/retext.h"
#include "filelist/film_list_pane.h"
#include "filelist/sortable_list_view.h"

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace tesmira {
namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "filelist_widget_test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's global input devices must not outlive it at exit.
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

class FakeHost : public FilmListHost {
public:
    void PlayFile(const QString& path) override { played << path; }
    void OpenFilms(const QStringList& paths) override { opened << paths; }
    QString CurrentFilm() const override { return current; }
    void CloseFilm() override {
        ++closes;
        current.clear();
    }
    QString current;
    QStringList played;
    QList<QStringList> opened;
    int closes = 0;
};

enum { kPath, kName, kTime, kDate, kMb, kResolution, kEvents };

// The pane in a window, above a line edit that can take the focus.
class FilmListTest : public ::testing::Test {
protected:
    void SetUp() override {
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(&pane);
        layout->addWidget(edit);
        window.resize(480, 300);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    static QString pathOf(int k) { return QString("/media/card/clip%1.mp4").arg(k); }
    // Rows as the open command adds them: no time or resolution yet.
    void addFilms(int count) {
        for (int k = 0; k < count; ++k)
            pane.InsertFilm(pathOf(k), QString("clip%1.mp4").arg(k), "12", "2024-05-01", "", "");
    }
    QStringList row(int r) const {
        QStringList cells;
        for (int c = 0; c < FilmListPane::kColumnCount; ++c) cells << list.GetItemText(r, c);
        return cells;
    }
    QStringList column(int c) const {
        QStringList texts;
        for (int r = 0; r < list.GetItemCount(); ++r) texts << list.GetItemText(r, c);
        return texts;
    }
    QStringList headers() const {
        QStringList texts;
        for (int c = 0; c < list.GetColumnCount(); ++c)
            texts << list.model()->headerData(c, Qt::Horizontal).toString();
        return texts;
    }
    QRect cell(int r, int c) const { return list.visualRect(list.model()->index(r, c)); }
    QPoint belowRows() const { return QPoint(20, list.viewport()->height() - 5); }
    void clickHeader(int c) {
        QHeaderView* header = list.horizontalHeader();
        const QPoint centre(header->sectionViewportPosition(c) + header->sectionSize(c) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    }
    std::pair<int, Qt::SortOrder> arrow() const {
        return {list.horizontalHeader()->sortIndicatorSection(),
                list.horizontalHeader()->sortIndicatorOrder()};
    }

    QApplication& application = app();  // before any widget
    FakeHost host;
    struct Window : QWidget {
        int menus = 0;  // context menu events that got past the list
        void contextMenuEvent(QContextMenuEvent*) override { ++menus; }
    } window;
    QVBoxLayout* layout = new QVBoxLayout(&window);
    FilmListPane pane{host, &window};
    QLineEdit* edit = new QLineEdit(&window);
    SortableListView& list = pane.List();
};

TEST_F(FilmListTest, SevenSortableColumnsPathHiddenTwentyPixelRows) {
    EXPECT_EQ(headers(),
              QStringList({"Path", "Name", "Time", "Date,time", "MB", "Resolution", "Events"}));
    const int widths[] = {0, 120, 60, 140, 50, 80, 50};
    for (int c = 0; c < 7; ++c) {
        // At least the designed width; wider where the heading needs it.
        if (c != kPath) {
            EXPECT_GE(list.columnWidth(c), widths[c]);
        }
        EXPECT_EQ(list.GetCellInfo(c).sortFlags, kSortToggle);
        EXPECT_EQ(list.GetCellInfo(c).sortType, kSortTextNoCase);
    }
    EXPECT_EQ(list.property(kControlIdProperty).toInt(), 1003);
    EXPECT_EQ(pane.property(kControlIdProperty).toInt(), 105);
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(list.showGrid());
    EXPECT_EQ(list.geometry(), pane.rect());

    list.setColumnHidden(kPath, false);
    addFilms(2);  // every new row hides the path again
    EXPECT_TRUE(list.isColumnHidden(kPath));
    EXPECT_EQ(list.rowHeight(1), 20);
    EXPECT_FALSE(list.model()->flags(list.model()->index(1, kName)) & Qt::ItemIsEditable);
}

TEST_F(FilmListTest, ReTextingSetsTheSevenHeaders) {
    QTemporaryDir data;
    ClearProfileCache();
    SetDataFolder(data.path().toStdString());
    ApplyLanguage("fr");
    ReTextWindow(&pane, FilmListPane::kDialogId);
    SetDataFolder("");
    EXPECT_EQ(headers(), QString::fromUtf8("Chemin|Nom|La longueur de la vid\u00e9o|Heure de "
                                           "cr\u00e9ation|Taille de fichier|R\u00e9solution|"
                                           "\u00c9v\u00e9nements")
                             .split('|'));
}

// Every heading and every cell shows whole, in each of the five languages.
TEST_F(FilmListTest, ColumnsFitHeadingsAndCellsInEveryLanguage) {
    QTemporaryDir data;
    ClearProfileCache();
    SetDataFolder(data.path().toStdString());
    pane.InsertFilm("/d/clip.mp4", "clip.mp4", "1024", "2024-05-01 23:59:59", "00:59:59",
                    "1920 x 1080");
    const QHeaderView* header = list.horizontalHeader();
    const int headingMargins =
        2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    const int cellMargins =
        2 * (list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1);
    for (const char* code : {"en", "zh-CN", "zh-TW", "ru", "fr"}) {
        ApplyLanguage(code);
        ReTextWindow(&pane, FilmListPane::kDialogId);
        for (int c = kName; c <= kEvents; ++c) {
            const QString heading = headers().at(c);
            const QString text = list.GetItemText(0, c);
            EXPECT_GE(list.columnWidth(c),
                      header->fontMetrics().horizontalAdvance(heading) + headingMargins)
                << code << " " << heading.toStdString();
            EXPECT_GE(list.columnWidth(c), list.fontMetrics().horizontalAdvance(text) + cellMargins)
                << code << " " << text.toStdString();
        }
    }
    SetDataFolder("");
}

TEST_F(FilmListTest, HeaderClicksSortEachColumnWithItsOwnDirection) {
    const char* rows[][4] = {{"b.mp4", "00:00:20", "20"},
                             {"A.MP4", "00:01:00", "100"},
                             {"c.mp4", "00:00:05", "3"},
                             {"a.mp4", "00:00:40", "1000"}};
    for (const auto& r : rows) pane.InsertFilm(QString("/d/") + r[0], r[0], r[2], "", r[1], "");
    list.SelectItem(2);  // c.mp4
    EXPECT_EQ(arrow().first, -1);

    clickHeader(kName);  // first click ascending; equal names keep their order
    EXPECT_EQ(column(kName), QStringList({"A.MP4", "a.mp4", "b.mp4", "c.mp4"}));
    EXPECT_EQ(arrow(), std::make_pair(int(kName), Qt::AscendingOrder));
    EXPECT_EQ(column(kPath), QStringList({"/d/A.MP4", "/d/a.mp4", "/d/b.mp4", "/d/c.mp4"}));
    EXPECT_EQ(list.GetFirstSelectedItem(), 3);  // the selection moves with its row

    clickHeader(kTime);
    EXPECT_EQ(column(kName), QStringList({"c.mp4", "b.mp4", "a.mp4", "A.MP4"}));
    EXPECT_EQ(arrow(), std::make_pair(int(kTime), Qt::AscendingOrder));

    clickHeader(kName);  // Name remembers ascending: now descending
    EXPECT_EQ(column(kName), QStringList({"c.mp4", "b.mp4", "a.mp4", "A.MP4"}));
    EXPECT_EQ(arrow(), std::make_pair(int(kName), Qt::DescendingOrder));

    clickHeader(kMb);  // sizes sort as text
    EXPECT_EQ(column(kMb), QStringList({"100", "1000", "20", "3"}));

    // A column whose record has no sort flags neither sorts nor moves the arrow.
    list.GetCellInfo(kResolution).sortFlags = 0;
    pane.UpdateFilm("/d/b.mp4", "b.mp4", "20", "", "00:00:20", "0");
    clickHeader(kResolution);
    EXPECT_EQ(column(kMb), QStringList({"100", "1000", "20", "3"}));
    EXPECT_EQ(arrow(), std::make_pair(int(kMb), Qt::AscendingOrder));
    EXPECT_EQ(list.SortColumn(), kMb);
}

TEST_F(FilmListTest, InsertAndUpdateFillTheirColumns) {
    pane.InsertFilm("/a/CLIP.MP4", "CLIP.MP4", "5", "2024-05-01 10:00:00", "", "");
    pane.InsertFilm("", "EMPTY.MP4", "1", "", "", "");  // no path, no row
    // Another folder, the same name: the row is shared and its path stays.
    pane.UpdateFilm("/b/CLIP.MP4", "CLIP.MP4", "0", "2024-06-02 11:00:00", "00:03:00",
                    "1280 x 720");
    ASSERT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(row(0), QStringList({"/a/CLIP.MP4", "CLIP.MP4", "00:03:00", "2024-06-02 11:00:00",
                                   "0", "1280 x 720", ""}));
    // The count read in the background fills the empty cell of that path once.
    pane.FillEvents({{"/b/CLIP.MP4", "7"}, {"/a/CLIP.MP4", "2"}});
    pane.FillEvents({{"/a/CLIP.MP4", "5"}});
    EXPECT_EQ(row(0).at(kEvents), "2");
    pane.SelectFilm("/b/CLIP.MP4");
    pane.PlayNext("/b/CLIP.MP4");
    EXPECT_EQ(list.GetFirstSelectedItem(), -1);
    EXPECT_TRUE(host.played.isEmpty());

    pane.UpdateFilm("/b/NEW.MP4", "NEW.MP4", "1", "d", "t", "r");  // a new name: a new row
    pane.UpdateFilm("", "NEW.MP4", "9", "", "", "");
    EXPECT_EQ(row(1), QStringList({"/b/NEW.MP4", "NEW.MP4", "t", "d", "1", "r", ""}));
    EXPECT_NE(list.GetItemData(0), nullptr);
    EXPECT_NE(list.GetItemData(1), nullptr);
    EXPECT_EQ(pane.FindName("new.mp4"), -1);  // identities are exact
}

TEST_F(FilmListTest, FilesAndFoldersDroppedOnTheRowsGoToTheHost) {
    addFilms(2);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/media/card/DCIM"), QUrl::fromLocalFile("/films/a.MP4"),
                  QUrl("https://example.com/b.mp4")});
    QWidget* rows = list.viewport();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(rows, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(rows, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(host.opened, QList<QStringList>({{"/media/card/DCIM", "/films/a.MP4"}}));
    EXPECT_EQ(list.GetItemCount(), 2);  // the host lists what it takes
}

TEST_F(FilmListTest, SelectFilmFocusesAndSelectsWithoutScrolling) {
    addFilms(60);
    pane.SelectFilm(pathOf(3));
    pane.SelectFilm(pathOf(59));
    EXPECT_TRUE(list.hasFocus());
    EXPECT_EQ(list.GetFirstSelectedItem(), 59);  // the only one: single selection
    EXPECT_EQ(list.verticalScrollBar()->value(), 0);
}

TEST_F(FilmListTest, NextAndPreviousStopAtTheEnds) {
    addFilms(3);
    const struct {
        bool next;
        QString from;
        QString played;  // empty: nothing plays
    } kCases[] = {
        {true, pathOf(0), pathOf(1)},  {true, pathOf(2), ""},  // no wrap-around
        {false, pathOf(2), pathOf(1)}, {false, pathOf(0), ""}, {true, "/elsewhere/clip1.mp4", ""},
    };
    for (const auto& c : kCases) {
        host.played.clear();
        edit->setFocus();
        c.next ? pane.PlayNext(c.from) : pane.PlayPrevious(c.from);
        EXPECT_EQ(host.played, c.played.isEmpty() ? QStringList() : QStringList{c.played});
        EXPECT_EQ(list.GetFirstSelectedItem(), pane.FindPath(c.played)) << c.from.toStdString();
        EXPECT_TRUE(list.hasFocus());
        list.clearSelection();
    }
}

TEST_F(FilmListTest, DeletingThePlayingRowPlaysTheNextOrNothing) {
    const struct {
        int playing;  // row of the current film, -1: none
        int deleted;
        QString played;  // empty: nothing plays
        int closes;
    } kCases[] = {
        {1, 2, "", 0},         // another row: the film plays on
        {1, 1, pathOf(2), 0},  // the row after it plays
        {3, 3, "", 1},         // the last row: nothing follows, nothing plays
        {-1, 0, "", 0},
    };
    for (const auto& c : kCases) {
        list.DeleteAllItems();
        addFilms(4);
        host.played.clear();
        host.closes = 0;
        host.current = c.playing < 0 ? QString() : pathOf(c.playing);
        pane.SelectFilm(pathOf(c.deleted));
        QTest::keyClick(&list, Qt::Key_Delete);  // the key acts like the command
        EXPECT_EQ(list.GetItemCount(), 3);
        EXPECT_EQ(pane.FindPath(pathOf(c.deleted)), -1);
        EXPECT_EQ(host.played, c.played.isEmpty() ? QStringList() : QStringList{c.played})
            << c.playing << " " << c.deleted;
        EXPECT_EQ(host.closes, c.closes) << c.playing << " " << c.deleted;
        for (int r = 0; r < list.GetItemCount(); ++r) EXPECT_NE(list.GetItemData(r), nullptr);
    }

    pane.OnDelete();  // nothing selected
    EXPECT_EQ(list.GetItemCount(), 3);
    host.closes = 0;
    pane.OnDeleteAll();  // whatever is loaded goes with the rows
    EXPECT_EQ(host.closes, 1);
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(FilmListTest, DoubleClickOrEnterPlaysTheRowOnly) {
    addFilms(3);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell(1, kName).center());
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(host.played, QStringList({pathOf(1), pathOf(1)}));
    EXPECT_TRUE(list.findChildren<QLineEdit*>().isEmpty());  // no cell editor

    // Below the rows the click leaves nothing selected, so nothing plays.
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, belowRows());
    EXPECT_EQ(host.played.size(), 2);
    EXPECT_EQ(list.GetFirstSelectedItem(), -1);
}

TEST_F(FilmListTest, ContextMenuOnlyOnARow) {
    addFilms(3);
    QMenu* menu = pane.ContextMenu();
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), "Delete");
    EXPECT_EQ(actions[0]->property(kCommandIdProperty).toInt(), 32773);
    EXPECT_EQ(actions[1]->text(), "Delete All");
    EXPECT_EQ(actions[1]->property(kCommandIdProperty).toInt(), 32774);

    QTest::mouseClick(list.viewport(), Qt::RightButton, {}, belowRows());
    EXPECT_FALSE(menu->isVisible());
    // The list's own context menu event goes nowhere.
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5), {});
    QApplication::sendEvent(list.viewport(), &event);
    EXPECT_EQ(window.menus, 0);

    QTest::mouseClick(list.viewport(), Qt::RightButton, {}, cell(2, kTime).center());
    EXPECT_TRUE(menu->isVisible());
    actions[0]->trigger();  // "Delete" takes the right-clicked row and no other
    menu->hide();
    EXPECT_EQ(column(kPath), QStringList({pathOf(0), pathOf(1)}));
    EXPECT_EQ(list.GetFirstSelectedItem(), -1);
}

// A cell's background (right of its text) and its lightest and darkest grey.
struct CellColours {
    QColor background;
    int lightest = 0, darkest = 255;
};

CellColours coloursOf(const QImage& image, const QRect& cell) {
    CellColours colours{image.pixelColor(cell.right() - 4, cell.center().y())};
    for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y)
        for (int x = cell.left() + 2; x < cell.right() - 1; ++x) {
            colours.lightest = std::max(colours.lightest, qGray(image.pixel(x, y)));
            colours.darkest = std::min(colours.darkest, qGray(image.pixel(x, y)));
        }
    return colours;
}

TEST_F(FilmListTest, SelectedRowWhiteOnBlueWithAndWithoutFocus) {
    addFilms(3);
    QWidget other;
    const auto checkRows = [&](const char* when) {
        const QImage image = list.viewport()->grab().toImage();
        const CellColours selected = coloursOf(image, cell(1, kName));
        EXPECT_EQ(selected.background, QColor(0, 0, 255)) << when;
        EXPECT_EQ(selected.lightest, 255) << when;  // white text
        const CellColours plain = coloursOf(image, cell(2, kName));
        EXPECT_EQ(plain.background, QColor(255, 255, 255)) << when;
        EXPECT_LT(plain.darkest, 60) << when;  // black text
    };
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    pane.SelectFilm(pathOf(1));
    ASSERT_TRUE(list.hasFocus());
    checkRows("focused");

    edit->setFocus();
    checkRows("focus on a sibling");

    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    checkRows("window inactive");
}

}  // namespace
}  // namespace tesmira
