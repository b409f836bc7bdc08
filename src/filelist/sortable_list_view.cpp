#include "filelist/sortable_list_view.h"

#include <QAbstractTableModel>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace tesmira {

// The rows and header texts. Each row owns its record, so a row and its record are
// always found from each other and leave together.
class SortableListView::Model : public QAbstractTableModel {
public:
    struct Row {
        std::vector<QString> cells;
        std::unique_ptr<ItemData> data;
    };

    explicit Model(QObject* parent) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(headers_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !contains(index.row(), index.column())) return {};
        return text(index.row(), index.column());
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
        if (role == Qt::DisplayRole) return headers_[static_cast<std::size_t>(section)];
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        return {};
    }
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role) override {
        if (orientation != Qt::Horizontal || (role != Qt::EditRole && role != Qt::DisplayRole) ||
            section < 0 || section >= columnCount())
            return false;
        headers_[static_cast<std::size_t>(section)] = value.toString();
        emit headerDataChanged(orientation, section, section);
        return true;
    }

    bool contains(int row, int column) const {
        return row >= 0 && row < rowCount() && column >= 0 && column < columnCount();
    }
    const QString& text(int row, int column) const {
        return rows_[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)];
    }
    Row& row(int r) { return rows_[static_cast<std::size_t>(r)]; }
    const Row& row(int r) const { return rows_[static_cast<std::size_t>(r)]; }

    void insertColumn(int column, const QString& heading) {
        beginInsertColumns({}, column, column);
        headers_.insert(headers_.begin() + column, heading);
        for (Row& r : rows_) r.cells.insert(r.cells.begin() + column, QString());
        endInsertColumns();
    }
    void insertRow(int row, const QString& first) {
        beginInsertRows({}, row, row);
        Row r;
        r.cells.resize(headers_.size());
        if (!r.cells.empty()) r.cells.front() = first;
        rows_.insert(rows_.begin() + row, std::move(r));
        endInsertRows();
    }
    void setText(int row, int column, const QString& text) {
        rows_[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)] = text;
        const QModelIndex at = index(row, column);
        emit dataChanged(at, at, {Qt::DisplayRole});
    }
    void removeRow(int row) {
        beginRemoveRows({}, row, row);
        rows_.erase(rows_.begin() + row);
        endRemoveRows();
    }
    void clear() {
        beginResetModel();
        rows_.clear();
        endResetModel();
    }

    // Puts the rows in `order` (element k: the current index of the row for place k).
    // Selection and current row follow their rows.
    void reorder(const std::vector<std::size_t>& order) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        std::vector<Row> sorted;
        sorted.reserve(rows_.size());
        std::vector<int> placeOf(rows_.size());
        for (std::size_t k = 0; k < order.size(); ++k) {
            sorted.push_back(std::move(rows_[order[k]]));
            placeOf[order[k]] = static_cast<int>(k);
        }
        rows_ = std::move(sorted);
        const QModelIndexList from = persistentIndexList();
        QModelIndexList to;
        to.reserve(from.size());
        for (const QModelIndex& index : from)
            to.append(index.isValid() ? this->index(placeOf[static_cast<std::size_t>(index.row())],
                                                    index.column())
                                      : index);
        changePersistentIndexList(from, to);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

private:
    std::vector<QString> headers_;
    std::vector<Row> rows_;
};

SortableListView::SortableListView(QWidget* parent) : QTableView(parent), model_(new Model(this)) {
    setModel(model_);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(ScrollPerPixel);
    verticalHeader()->hide();
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            &SortableListView::OnColumnClick);

    // Fixed colours: selected rows stay white on blue when another window or pane
    // has the focus, so the playing film remains visible in the list.
    QPalette colours = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Highlight, QColor(0, 0, 255));
        colours.setColor(group, QPalette::HighlightedText, QColor(255, 255, 255));
        colours.setColor(group, QPalette::Base, QColor(255, 255, 255));
        colours.setColor(group, QPalette::Text, QColor(0, 0, 0));
    }
    setPalette(colours);
}

SortableListView::~SortableListView() = default;

int SortableListView::InsertColumn(int column, const QString& heading, int width) {
    column = std::clamp(column, 0, model_->columnCount());
    model_->insertColumn(column, heading);
    setColumnWidth(column, width);
    return column;
}

int SortableListView::GetColumnCount() const {
    return horizontalHeader()->count();
}

SortableListView::CellInfo& SortableListView::GetCellInfo(int column) {
    return cells_.try_emplace(column, column).first->second;
}

int SortableListView::InsertItem(int row, const QString& text) {
    row = std::clamp(row, 0, model_->rowCount());
    model_->insertRow(row, text);
    return row;
}

int SortableListView::GetItemCount() const {
    return model_->rowCount();
}

QString SortableListView::GetItemText(int row, int column) const {
    return model_->contains(row, column) ? model_->text(row, column) : QString();
}

bool SortableListView::SetItemText(int row, int column, const QString& text) {
    if (!model_->contains(row, column)) return false;
    model_->setText(row, column, text);
    return true;
}

void SortableListView::AttachItemData(int row) {
    if (row < 0 || row >= model_->rowCount()) return;
    std::unique_ptr<ItemData>& data = model_->row(row).data;
    if (data)
        data->userValue = 0;
    else
        data = std::make_unique<ItemData>();
}

SortableListView::ItemData* SortableListView::GetItemData(int row) const {
    if (row < 0 || row >= model_->rowCount()) return nullptr;
    return model_->row(row).data.get();
}

int SortableListView::GetFirstSelectedItem() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    int first = -1;
    for (const QModelIndex& index : rows)
        if (first < 0 || index.row() < first) first = index.row();
    return first;
}

void SortableListView::SelectItem(int row) {
    if (row < 0 || row >= model_->rowCount()) return;
    selectionModel()->select(model_->index(row, 0),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void SortableListView::DeleteSelectedItems() {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
    // A single-selection view selects the row after a removed current row; without a
    // current row the deletion leaves nothing selected and takes no further row.
    selectionModel()->clearCurrentIndex();
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (const int row : rows) model_->removeRow(row);
}

void SortableListView::DeleteAllItems() {
    model_->clear();
}

void SortableListView::OnColumnClick(int column) {
    const auto found = cells_.find(column);
    if (found == cells_.end() || !(found->second.sortFlags & kSortFlagMask)) {
        // The header moves its arrow on any click; put it back where the rows are sorted.
        showSortArrow();
        return;
    }
    CellInfo& cell = found->second;
    cell.sortFlags = FlagsAfterClick(cell.sortFlags);
    sortColumn_ = column;

    std::vector<std::u16string_view> texts;
    texts.reserve(static_cast<std::size_t>(model_->rowCount()));
    for (int row = 0; row < model_->rowCount(); ++row) {
        const QString& text = model_->text(row, column);
        texts.emplace_back(reinterpret_cast<const char16_t*>(text.constData()),
                           static_cast<std::size_t>(text.size()));
    }
    model_->reorder(SortedOrder(texts, cell.sortFlags, cell.sortType));
    showSortArrow();
}

void SortableListView::showSortArrow() {
    const auto found = cells_.find(sortColumn_);
    const int direction = found == cells_.end() ? 0 : SortDirection(found->second.sortFlags);
    if (direction == 0)
        horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    else
        horizontalHeader()->setSortIndicator(
            sortColumn_, direction > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void SortableListView::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    // As in any list, a click below the rows leaves nothing selected; a double-click
    // or the menu there then has no row to act on.
    if (!indexAt(event->position().toPoint()).isValid()) selectionModel()->clearSelection();
}

void SortableListView::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::RightButton)
        emit listRightClicked(indexAt(event->position().toPoint()).row(),
                              event->globalPosition().toPoint());
}

void SortableListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) emit listDoubleClicked();
}

void SortableListView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            emit listDoubleClicked();
            event->accept();
            return;
        case Qt::Key_Delete:
            if (GetFirstSelectedItem() >= 0) emit deleteKeyPressed();
            event->accept();
            return;
        default:
            QTableView::keyPressEvent(event);
    }
}

void SortableListView::contextMenuEvent(QContextMenuEvent* event) {
    // The list has no menu of its own, and the pane's menu comes from the right click.
    event->accept();
}

}  // namespace tesmira
