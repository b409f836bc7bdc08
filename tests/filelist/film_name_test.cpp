#include "filelist/film_name.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/app_paths.h"
#include "app/ini_profile.h"
#include "app/language_pack.h"
#include "app/retext.h"
#include "filelist/list_ctrl_ex.h"
#include "filelist/list_test_app.h"

namespace tesmira {
namespace {

class FilmNameTest : public ::testing::Test {
protected:
    void SetUp() override {
        pane.resize(460, 300);
        pane.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    }

    static QString pathOf(int k) { return QString("/media/card/DCIM/clip%1.mp4").arg(k); }
    // Rows clip0.mp4 ... as the open command adds them: no time or resolution yet.
    void addFilms(int count) {
        for (int k = 0; k < count; ++k)
            pane.InsertFilm(pathOf(k), QString("clip%1.mp4").arg(k), "12", "2024-05-01 10:00:00",
                            "", "");
    }
    QStringList row(int r) const {
        QStringList cells;
        for (int c = 0; c < CFilmName::kColumnCount; ++c) cells << list().GetItemText(r, c);
        return cells;
    }
    CListCtrlEx& list() const { return pane.List(); }
    QPoint rowCentre(int r) const {
        return list().visualRect(list().model()->index(r, CFilmName::kNameColumn)).center();
    }

    QApplication& app = test::App();  // before any widget
    test::FakeListHost host;
    CFilmName pane{host};
};

TEST_F(FilmNameTest, ListHasSixColumnsThatSortAndTwentyPixelRows) {
    const struct {
        const char* heading;
        int width;
    } kColumns[] = {{"Path", 0},        {"Name", 120}, {"Time", 60},
                    {"Date,time", 140}, {"MB", 50},    {"Resolution", 80}};
    ASSERT_EQ(list().GetColumnCount(), 6);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(list().model()->headerData(c, Qt::Horizontal).toString(), kColumns[c].heading);
        if (c > 0) {
            EXPECT_EQ(list().columnWidth(c), kColumns[c].width) << c;
        }
        EXPECT_EQ(list().GetCellInfo(c).sortFlags, kSortToggle) << c;
        EXPECT_EQ(list().GetCellInfo(c).sortType, kSortTextNoCase) << c;
    }
    EXPECT_TRUE(list().isColumnHidden(CFilmName::kPathColumn));
    EXPECT_EQ(list().property(kControlIdProperty).toInt(), 1003);
    EXPECT_EQ(pane.property(kControlIdProperty).toInt(), 105);
    EXPECT_EQ(list().selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list().selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(list().showGrid());
    EXPECT_EQ(list().geometry(), pane.rect());

    addFilms(2);
    EXPECT_EQ(list().rowHeight(0), 20);
    EXPECT_EQ(list().rowHeight(1), 20);
    list().setColumnHidden(CFilmName::kPathColumn, false);
    addFilms(1);  // each new row hides the path again
    EXPECT_TRUE(list().isColumnHidden(CFilmName::kPathColumn));
}

TEST_F(FilmNameTest, ReTextingSetsTheSixHeaders) {
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    ClearProfileCache();
    SetDataFolder(data.path().toStdString());
    ApplyLanguage("fr");
    ReTextWindow(&pane, CFilmName::kDialogId);
    const QStringList expected = {"Chemin",
                                  "Nom",
                                  QString::fromUtf8("La longueur de la vid\u00e9o"),
                                  QString::fromUtf8("Heure de cr\u00e9ation"),
                                  "Taille de fichier",
                                  QString::fromUtf8("R\u00e9solution")};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(list().model()->headerData(c, Qt::Horizontal).toString(), expected[c]);
    SetDataFolder("");
}

TEST_F(FilmNameTest, InsertPlacesTheTextsInTheirColumns) {
    pane.InsertFilm("/a/CLIP.MP4", "CLIP.MP4", "5", "2024-05-01 10:00:00", "00:01:00",
                    "1920 x 1080");
    pane.InsertFilm("", "EMPTY.MP4", "1", "", "", "");  // no path, no row
    ASSERT_EQ(list().GetItemCount(), 1);
    EXPECT_EQ(row(0), QStringList({"/a/CLIP.MP4", "CLIP.MP4", "00:01:00", "2024-05-01 10:00:00",
                                   "5", "1920 x 1080"}));
    EXPECT_NE(list().GetItemData(0), nullptr);
    EXPECT_EQ(pane.FindName("CLIP.MP4"), 0);
    EXPECT_EQ(pane.FindName("clip.mp4"), -1);  // identities are exact
    EXPECT_EQ(pane.FindPath("/a/CLIP.MP4"), 0);
}

TEST_F(FilmNameTest, SameNameInAnotherFolderSharesTheRow) {
    pane.InsertFilm("/a/CLIP.MP4", "CLIP.MP4", "5", "2024-05-01 10:00:00", "", "");
    pane.UpdateFilm("/b/CLIP.MP4", "CLIP.MP4", "0", "2024-06-02 11:00:00", "00:03:00",
                    "1280 x 720");
    ASSERT_EQ(list().GetItemCount(), 1);
    EXPECT_EQ(row(0), QStringList({"/a/CLIP.MP4", "CLIP.MP4", "00:03:00", "2024-06-02 11:00:00",
                                   "0", "1280 x 720"}));

    // The second file's path has no row.
    pane.SelectFilm("/b/CLIP.MP4");
    EXPECT_EQ(list().GetFirstSelectedItem(), -1);
    pane.PlayNext("/b/CLIP.MP4");
    EXPECT_TRUE(host.played.isEmpty());

    pane.UpdateFilm("/b/OTHER.MP4", "OTHER.MP4", "1", "d", "t", "r");  // a new name: a new row
    EXPECT_EQ(row(1), QStringList({"/b/OTHER.MP4", "OTHER.MP4", "t", "d", "1", "r"}));
    pane.UpdateFilm("", "OTHER.MP4", "9", "", "", "");
    EXPECT_EQ(list().GetItemText(1, CFilmName::kSizeColumn), "1");
}

TEST_F(FilmNameTest, SelectFilmFocusesAndSelectsWithoutScrolling) {
    addFilms(60);
    pane.SelectFilm(pathOf(3));
    EXPECT_TRUE(list().hasFocus());
    EXPECT_EQ(list().GetFirstSelectedItem(), 3);
    pane.SelectFilm(pathOf(59));
    EXPECT_EQ(list().GetFirstSelectedItem(), 59);
    EXPECT_FALSE(list().IsItemSelected(3));
    EXPECT_EQ(list().verticalScrollBar()->value(), 0);
    EXPECT_TRUE(host.played.isEmpty());
}

TEST_F(FilmNameTest, NextAndPreviousStopAtTheEnds) {
    addFilms(3);
    const struct {
        bool next;
        QString from;
        QString played;  // empty: nothing plays
    } kCases[] = {
        {true, pathOf(0), pathOf(1)},
        {true, pathOf(1), pathOf(2)},
        {true, pathOf(2), ""},  // the last row does not wrap to the first
        {false, pathOf(2), pathOf(1)},
        {false, pathOf(0), ""},
        {true, "/elsewhere/clip1.mp4", ""},
        {false, "", ""},
    };
    for (const auto& c : kCases) {
        host.played.clear();
        pane.SelectFilm(c.from);
        c.next ? pane.PlayNext(c.from) : pane.PlayPrevious(c.from);
        EXPECT_EQ(host.played, c.played.isEmpty() ? QStringList() : QStringList{c.played})
            << c.from.toStdString() << (c.next ? " next" : " previous");
        if (!c.played.isEmpty()) {
            EXPECT_EQ(list().GetFirstSelectedItem(), pane.FindPath(c.played));
        }
        EXPECT_TRUE(list().hasFocus());
    }
}

TEST_F(FilmNameTest, DeleteStopsTheViewOnlyForThePlayingRow) {
    addFilms(3);
    host.current = pathOf(1);

    pane.SelectFilm(pathOf(2));
    pane.OnDelete();
    EXPECT_EQ(host.stops, 0);
    EXPECT_EQ(pane.FindPath(pathOf(2)), -1);

    pane.SelectFilm(pathOf(1));
    pane.OnDelete();
    EXPECT_EQ(host.stops, 1);
    EXPECT_EQ(host.current, pathOf(1));  // the stopped film stays current
    EXPECT_EQ(list().GetItemCount(), 1);
    EXPECT_EQ(list().ItemDataCount(), 1);
    pane.PlayNext(host.current);  // its row is gone: next does nothing
    EXPECT_TRUE(host.played.isEmpty());

    list().clearSelection();
    pane.OnDelete();  // nothing selected
    EXPECT_EQ(list().GetItemCount(), 1);

    // The Delete key acts like the command.
    host.current = pathOf(0);
    pane.SelectFilm(pathOf(0));
    QTest::keyClick(&list(), Qt::Key_Delete);
    EXPECT_EQ(host.stops, 2);
    EXPECT_EQ(list().GetItemCount(), 0);
}

TEST_F(FilmNameTest, DeleteAllStopsTheViewAndEmptiesTheList) {
    addFilms(4);
    pane.OnDeleteAll();
    EXPECT_EQ(host.stops, 1);
    EXPECT_EQ(list().GetItemCount(), 0);
    EXPECT_EQ(list().ItemDataCount(), 0);
    pane.InsertFilm(pathOf(7), "clip7.mp4", "1", "", "", "");  // the list works on
    EXPECT_EQ(list().GetItemCount(), 1);
}

TEST_F(FilmNameTest, DoubleClickOrEnterPlaysTheRow) {
    addFilms(3);
    QTest::mouseDClick(list().viewport(), Qt::LeftButton, {}, rowCentre(1));
    EXPECT_EQ(host.played, QStringList{pathOf(1)});

    QTest::keyClick(&list(), Qt::Key_Return);
    EXPECT_EQ(host.played, QStringList({pathOf(1), pathOf(1)}));

    // Below the rows the click leaves nothing selected, so nothing plays.
    host.played.clear();
    QTest::mouseDClick(list().viewport(), Qt::LeftButton, {},
                       QPoint(20, list().viewport()->height() - 5));
    EXPECT_TRUE(host.played.isEmpty());
    EXPECT_EQ(list().GetFirstSelectedItem(), -1);
}

TEST_F(FilmNameTest, ContextMenuOnlyOnARow) {
    addFilms(3);
    QMenu* menu = pane.ContextMenu();
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), "Delete");
    EXPECT_EQ(actions[0]->property(kCommandIdProperty).toInt(), 32773);
    EXPECT_EQ(actions[1]->text(), "Delete All");
    EXPECT_EQ(actions[1]->property(kCommandIdProperty).toInt(), 32774);

    QTest::mouseClick(list().viewport(), Qt::RightButton, {},
                      QPoint(20, list().viewport()->height() - 5));
    EXPECT_FALSE(menu->isVisible());

    QTest::mouseClick(list().viewport(), Qt::RightButton, {}, rowCentre(2));
    EXPECT_TRUE(menu->isVisible());
    actions[0]->trigger();  // "Delete" takes the row that was right-clicked
    menu->hide();
    EXPECT_EQ(pane.FindPath(pathOf(2)), -1);
    EXPECT_EQ(list().GetItemCount(), 2);
    EXPECT_EQ(list().GetFirstSelectedItem(), -1);  // no other row is taken along
}

}  // namespace
}  // namespace tesmira
