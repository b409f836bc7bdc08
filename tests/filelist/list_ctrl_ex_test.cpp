#include "filelist/list_ctrl_ex.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "filelist/list_test_app.h"

namespace tesmira {
namespace {

enum { kName, kTime, kMb, kFixed, kBare, kColumns };

class ListCtrlExTest : public ::testing::Test {
protected:
    void SetUp() override {
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(list);
        layout->addWidget(edit);
        const char* headings[kColumns] = {"Name", "Time", "MB", "Fixed", "Bare"};
        for (int c = 0; c < kColumns; ++c) list->InsertColumn(c, headings[c], 80);
        for (int c : {kName, kTime, kMb}) {
            list->GetCellInfo(c).sortFlags = kSortToggle;
            list->GetCellInfo(c).sortType = kSortTextNoCase;
        }
        list->GetCellInfo(kFixed);  // a record with flags 0; kBare has none
        const char* rows[][kColumns] = {
            {"b.mp4", "00:00:20", "20", "x", "1"},
            {"A.MP4", "00:01:00", "100", "y", "2"},
            {"c.mp4", "00:00:05", "3", "z", "3"},
            {"a.mp4", "00:00:40", "1000", "w", "4"},
        };
        for (const auto& cells : rows) {
            const int row = list->InsertItem(list->GetItemCount(), cells[0]);
            list->AttachItemData(row);
            for (int c = 1; c < kColumns; ++c) list->SetItemText(row, c, cells[c]);
        }
        window.resize(420, 200);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QStringList column(int c) const {
        QStringList texts;
        for (int row = 0; row < list->GetItemCount(); ++row) texts << list->GetItemText(row, c);
        return texts;
    }
    void clickHeader(int c) {
        QHeaderView* header = list->horizontalHeader();
        const QPoint centre(header->sectionViewportPosition(c) + header->sectionSize(c) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    }
    // The header's one arrow: its column and direction, or -1.
    std::pair<int, Qt::SortOrder> arrow() const {
        const QHeaderView* header = list->horizontalHeader();
        return {header->sortIndicatorSection(), header->sortIndicatorOrder()};
    }
    QPoint cellCentre(int row, int c) const {
        return list->visualRect(list->model()->index(row, c)).center();
    }

    QApplication& app = test::App();  // before any widget
    struct Window : QWidget {
        int menus = 0;  // context menu events that reached the list's parent
        void contextMenuEvent(QContextMenuEvent*) override { ++menus; }
    } window;
    QVBoxLayout* layout = new QVBoxLayout(&window);
    CListCtrlEx* list = new CListCtrlEx(&window);
    QLineEdit* edit = new QLineEdit(&window);
};

TEST_F(ListCtrlExTest, HeaderClicksSortEachColumnWithItsOwnDirection) {
    EXPECT_EQ(arrow().first, -1);

    clickHeader(kName);  // first click: ascending, equal names keep their order
    EXPECT_EQ(column(kName), QStringList({"A.MP4", "a.mp4", "b.mp4", "c.mp4"}));
    EXPECT_EQ(arrow(), std::make_pair(int(kName), Qt::AscendingOrder));

    clickHeader(kTime);
    EXPECT_EQ(column(kName), QStringList({"c.mp4", "b.mp4", "a.mp4", "A.MP4"}));
    EXPECT_EQ(arrow(), std::make_pair(int(kTime), Qt::AscendingOrder));

    clickHeader(kName);  // Name remembers it sorted ascending: now descending
    EXPECT_EQ(column(kName), QStringList({"c.mp4", "b.mp4", "a.mp4", "A.MP4"}));
    EXPECT_EQ(arrow(), std::make_pair(int(kName), Qt::DescendingOrder));
    EXPECT_EQ(list->SortColumn(), kName);

    clickHeader(kName);
    EXPECT_EQ(column(kName), QStringList({"a.mp4", "A.MP4", "b.mp4", "c.mp4"}));
    EXPECT_EQ(arrow(), std::make_pair(int(kName), Qt::AscendingOrder));

    clickHeader(kMb);  // sizes sort as text
    EXPECT_EQ(column(kMb), QStringList({"100", "1000", "20", "3"}));
    EXPECT_EQ(arrow(), std::make_pair(int(kMb), Qt::AscendingOrder));
    // Whole rows move together.
    EXPECT_EQ(column(kBare), QStringList({"2", "4", "1", "3"}));
}

TEST_F(ListCtrlExTest, ColumnWithoutSortFlagsNeitherSortsNorMovesTheArrow) {
    clickHeader(kTime);
    const QStringList sorted = column(kName);
    for (int c : {kFixed, kBare}) {
        clickHeader(c);
        EXPECT_EQ(column(kName), sorted) << c;
        EXPECT_EQ(arrow(), std::make_pair(int(kTime), Qt::AscendingOrder)) << c;
        EXPECT_EQ(list->SortColumn(), kTime) << c;
    }
    EXPECT_EQ(list->GetCellInfo(kFixed).sortFlags, 0u);
}

TEST_F(ListCtrlExTest, SelectionAndRecordsFollowTheirRowsThroughASort) {
    list->SelectItem(2);  // c.mp4
    CListCtrlEx::ItemData* record = list->GetItemData(2);
    clickHeader(kName);
    EXPECT_EQ(list->GetFirstSelectedItem(), 3);
    EXPECT_EQ(list->GetItemText(3, kName), "c.mp4");
    EXPECT_EQ(list->GetItemData(3), record);
}

TEST_F(ListCtrlExTest, RowRecordsLeaveWithTheirRows) {
    EXPECT_EQ(list->ItemDataCount(), 4);
    list->GetItemData(1)->userValue = 7;
    list->AttachItemData(1);  // a row with a record only has its value reset
    EXPECT_EQ(list->ItemDataCount(), 4);
    EXPECT_EQ(list->GetItemData(1)->userValue, 0);
    list->InsertItem(99, "no record");
    EXPECT_EQ(list->GetItemCount(), 5);
    EXPECT_EQ(list->GetItemData(4), nullptr);

    list->SelectItem(1);
    list->DeleteSelectedItems();
    EXPECT_EQ(list->GetItemCount(), 4);
    EXPECT_EQ(list->ItemDataCount(), 3);
    EXPECT_EQ(column(kName), QStringList({"b.mp4", "c.mp4", "a.mp4", "no record"}));
    EXPECT_EQ(list->GetFirstSelectedItem(), -1);

    list->DeleteAllItems();
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(list->ItemDataCount(), 0);
    EXPECT_EQ(list->GetColumnCount(), int(kColumns));  // columns stay
}

TEST_F(ListCtrlExTest, MouseAndKeysArePassedOnAndCellsNeverEdit) {
    QSignalSpy doubleClicks(list, &CListCtrlEx::listDoubleClicked);
    QSignalSpy rightClicks(list, &CListCtrlEx::listRightClicked);
    QSignalSpy deletes(list, &CListCtrlEx::deleteKeyPressed);

    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cellCentre(1, kName));
    EXPECT_EQ(doubleClicks.count(), 1);
    EXPECT_EQ(list->GetFirstSelectedItem(), 1);
    EXPECT_TRUE(list->findChildren<QLineEdit*>().isEmpty());  // no editor opened
    EXPECT_FALSE(list->model()->flags(list->model()->index(1, kName)) & Qt::ItemIsEditable);

    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(doubleClicks.count(), 2);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(deletes.count(), 1);

    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, cellCentre(2, kTime));
    ASSERT_EQ(rightClicks.count(), 1);
    EXPECT_EQ(rightClicks.at(0).at(0).toInt(), 2);
    EXPECT_EQ(list->GetFirstSelectedItem(), 2);

    // Below the rows: the selection goes, the right click reports no row.
    const QPoint below(10, list->viewport()->height() - 3);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, below);
    EXPECT_EQ(rightClicks.at(1).at(0).toInt(), -1);
    EXPECT_EQ(list->GetFirstSelectedItem(), -1);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(deletes.count(), 1);  // nothing selected

    // The list's own context menu event stops at the list.
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5), {});
    QApplication::sendEvent(list->viewport(), &event);
    EXPECT_EQ(window.menus, 0);
}

// The lightest and darkest pixel and the background of a cell of a row.
struct CellColours {
    QColor background;
    int lightest = 0;
    int darkest = 255;
};

CellColours coloursOf(const QImage& image, const QRect& cell) {
    CellColours colours;
    colours.background = image.pixelColor(cell.right() - 4, cell.center().y());
    for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y)
        for (int x = cell.left() + 2; x < cell.right() - 1; ++x) {
            const int grey = qGray(image.pixel(x, y));
            colours.lightest = std::max(colours.lightest, grey);
            colours.darkest = std::min(colours.darkest, grey);
        }
    return colours;
}

TEST_F(ListCtrlExTest, SelectedRowWhiteOnBlueWithAndWithoutFocus) {
    QWidget other;
    const auto checkRows = [&](const char* when) {
        const QImage image = list->viewport()->grab().toImage();
        const CellColours selected =
            coloursOf(image, list->visualRect(list->model()->index(1, kName)));
        EXPECT_EQ(selected.background, QColor(0, 0, 255)) << when;
        EXPECT_EQ(selected.lightest, 255) << when;  // white text
        const CellColours plain =
            coloursOf(image, list->visualRect(list->model()->index(2, kName)));
        EXPECT_EQ(plain.background, QColor(255, 255, 255)) << when;
        EXPECT_LT(plain.darkest, 60) << when;  // black text
    };

    list->SelectItem(1);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    list->setFocus();
    ASSERT_TRUE(list->hasFocus());
    checkRows("focused");

    edit->setFocus();
    ASSERT_FALSE(list->hasFocus());
    checkRows("focus on a sibling");

    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ASSERT_FALSE(window.isActiveWindow());
    checkRows("window inactive");
}

}  // namespace
}  // namespace tesmira
