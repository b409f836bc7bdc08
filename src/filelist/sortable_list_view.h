#pragma once
// A report list over Qt's model/view: text cells, one record per row and per column,
// sorting by a header click with per-column settings, selected rows white on blue
// whether or not the list has the focus, and the mouse and keyboard actions passed
// on to the pane that holds it. Cells are not editable.

#include <QString>
#include <QTableView>
#include <map>

#include "filelist/list_order.h"

namespace tesmira {

class SortableListView : public QTableView {
    Q_OBJECT

public:
    // The record every row carries; the control owns it and deletes it with its row.
    struct ItemData {
        virtual ~ItemData() = default;
        int userValue = 0;
    };
    // Sort settings of one column (flags and types: list_order.h).
    struct CellInfo {
        explicit CellInfo(int c) : column(c) {}
        int column;
        unsigned sortFlags = 0;
        int sortType = 0;
    };

    explicit SortableListView(QWidget* parent = nullptr);
    ~SortableListView() override;

    // Columns: appended or inserted at `column`, left-aligned, `width` pixels.
    int InsertColumn(int column, const QString& heading, int width);
    // The number of header items (what re-texting walks).
    int GetColumnCount() const;
    // The record of a column, made with the defaults when it has none yet.
    CellInfo& GetCellInfo(int column);

    // Rows: inserted at `row` (clamped to the end) with the first cell's text; returns
    // its index. A new row carries no record until AttachItemData.
    int InsertItem(int row, const QString& text);
    int GetItemCount() const;
    QString GetItemText(int row, int column) const;
    bool SetItemText(int row, int column, const QString& text);
    // Gives the row a record with user value 0, or resets the user value of the one it has.
    void AttachItemData(int row);
    ItemData* GetItemData(int row) const;
    int ItemDataCount() const;

    // The first selected row, or -1.
    int GetFirstSelectedItem() const;
    bool IsItemSelected(int row) const;
    // Selects the row alone without making it current, so the list does not scroll.
    void SelectItem(int row);
    // Deletes every selected row with its record.
    void DeleteSelectedItems();
    // Deletes every row with its record.
    void DeleteAllItems();

    // A click on the header of `column`: sorts when the column's record has sort flags.
    void OnColumnClick(int column);
    int SortColumn() const { return sortColumn_; }

signals:
    // A double-click anywhere in the rows area, or Enter.
    void listDoubleClicked();
    // The right button released over the rows area; row is -1 off the rows.
    void listRightClicked(int row, const QPoint& globalPos);
    // The Delete key while a row is selected.
    void deleteKeyPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    class Model;
    void showSortArrow();

    Model* model_;
    std::map<int, CellInfo> cells_;  // node-based: references to records stay valid
    int sortColumn_ = -1;
};

}  // namespace tesmira
