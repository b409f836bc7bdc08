#include "filelist/film_list_pane.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAction>
#include <QDropEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/language_pack.h"
#include "app/retext.h"
#include "filelist/sortable_list_view.h"

namespace tesmira {

FilmListPane::FilmListPane(FilmListHost& host, QWidget* parent)
    : QWidget(parent), host_(host), list_(new SortableListView(this)), menu_(new QMenu(this)) {
    setProperty(kControlIdProperty, static_cast<int>(kDialogId));
    list_->setProperty(kControlIdProperty, static_cast<int>(kListId));

    // The list covers the whole pane.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);

    static const struct {
        const char* heading;
        int width;
    } kColumns[kColumnCount] = {
        {"Path", 0},
        {"Name", 120},
        {"Time", 60},
        {"Date,time", 140},
        {"MB", 50},
        {"Resolution", 80},
        {kEventsHeadingText, 50},
    };
    for (int c = 0; c < kColumnCount; ++c) {
        narrowest_[c] = kColumns[c].width;
        list_->InsertColumn(c, QString::fromLatin1(kColumns[c].heading), kColumns[c].width);
        SortableListView::CellInfo& cell = list_->GetCellInfo(c);
        cell.sortFlags = kSortToggle;
        cell.sortType = kSortTextNoCase;
    }
    list_->setColumnHidden(kPathColumn, true);
    list_->verticalHeader()->setMinimumSectionSize(kRowHeight);
    list_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    // The menu texts are fixed, not taken from the language files.
    const auto addCommand = [this](const char* text, int id, void (FilmListPane::*handler)()) {
        QAction* action = menu_->addAction(QString::fromLatin1(text));
        action->setProperty(kCommandIdProperty, id);
        connect(action, &QAction::triggered, this, handler);
    };
    addCommand("Delete", kDeleteCommand, &FilmListPane::OnDelete);
    addCommand("Delete All", kDeleteAllCommand, &FilmListPane::OnDeleteAll);

    // A column grows to its heading in every language and to its widest cell.
    QAbstractItemModel* model = list_->model();
    connect(model, &QAbstractItemModel::headerDataChanged, this,
            [this](Qt::Orientation orientation, int first, int last) {
                if (orientation != Qt::Horizontal) return;
                // Re-texting as the dialog gives column 6 the language files' key for
                // a column this list does not have: the Events heading has its own.
                if (first <= kEventsColumn && kEventsColumn <= last) reTextEventsHeading();
                fitColumns(first, last);
            });
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
                    for (int c = topLeft.column(); c <= bottomRight.column(); ++c) fitCell(row, c);
            });
    fitColumns(kNameColumn, kColumnCount - 1);

    connect(list_, &SortableListView::listDoubleClicked, this, &FilmListPane::OnDblClick);
    connect(list_, &SortableListView::listRightClicked, this, &FilmListPane::onRightClick);
    connect(list_, &SortableListView::deleteKeyPressed, this, &FilmListPane::OnDelete);

    // Dropped files arrive at the rows' viewport; the view itself only knows drags of
    // its own rows, which it does not offer.
    list_->setAcceptDrops(true);
    list_->viewport()->setAcceptDrops(true);
    list_->viewport()->installEventFilter(this);
}

FilmListPane::~FilmListPane() = default;

void FilmListPane::InsertFilm(const QString& path, const QString& name, const QString& sizeText,
                              const QString& dateTimeText, const QString& timeText,
                              const QString& resolutionText) {
    if (path.isEmpty()) return;
    const int row = list_->InsertItem(list_->GetItemCount(), path);
    list_->AttachItemData(row);
    // Kept out of sight whatever happened to the column since.
    list_->setColumnHidden(kPathColumn, true);
    list_->SetItemText(row, kNameColumn, name);
    list_->SetItemText(row, kTimeColumn, timeText);
    list_->SetItemText(row, kDateTimeColumn, dateTimeText);
    list_->SetItemText(row, kSizeColumn, sizeText);
    list_->SetItemText(row, kResolutionColumn, resolutionText);
}

void FilmListPane::UpdateFilm(const QString& path, const QString& name, const QString& sizeText,
                              const QString& dateTimeText, const QString& timeText,
                              const QString& resolutionText) {
    if (path.isEmpty()) return;
    const int row = FindName(name);
    if (row < 0) {
        InsertFilm(path, name, sizeText, dateTimeText, timeText, resolutionText);
        return;
    }
    list_->SetItemText(row, kTimeColumn, timeText);
    list_->SetItemText(row, kDateTimeColumn, dateTimeText);
    list_->SetItemText(row, kSizeColumn, sizeText);
    list_->SetItemText(row, kResolutionColumn, resolutionText);
}

void FilmListPane::FillTimes(const QHash<QString, QString>& timeByPath) {
    fillEmpty(kTimeColumn, timeByPath);
}

void FilmListPane::FillEvents(const QHash<QString, QString>& countByPath) {
    fillEmpty(kEventsColumn, countByPath);
}

void FilmListPane::fillEmpty(int column, const QHash<QString, QString>& textByPath) {
    if (textByPath.isEmpty()) return;
    for (int row = 0; row < list_->GetItemCount(); ++row) {
        if (!list_->GetItemText(row, column).isEmpty()) continue;
        const auto found = textByPath.constFind(list_->GetItemText(row, kPathColumn));
        if (found != textByPath.constEnd()) list_->SetItemText(row, column, *found);
    }
}

void FilmListPane::reTextEventsHeading() {
    const QString heading = QString::fromStdString(UiText(kEventsHeadingKey, kEventsHeadingText));
    // Setting it reports the change again: only a different heading is set.
    if (list_->model()->headerData(kEventsColumn, Qt::Horizontal).toString() != heading)
        list_->model()->setHeaderData(kEventsColumn, Qt::Horizontal, heading);
}

QStringList FilmListPane::Paths() const {
    QStringList paths;
    paths.reserve(list_->GetItemCount());
    for (int row = 0; row < list_->GetItemCount(); ++row)
        paths << list_->GetItemText(row, kPathColumn);
    return paths;
}

bool FilmListPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched != list_->viewport()) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!drag->mimeData()->hasUrls()) return false;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!drop->mimeData()->hasUrls()) return false;
            drop->acceptProposedAction();
            QStringList paths;
            for (const QUrl& url : drop->mimeData()->urls())
                if (url.isLocalFile()) paths << url.toLocalFile();
            host_.OpenFilms(paths);
            return true;
        }
        default:
            return QWidget::eventFilter(watched, event);
    }
}

void FilmListPane::fitColumns(int first, int last) {
    for (int c = std::max(first, 1); c <= std::min(last, kColumnCount - 1); ++c) {
        const QAbstractItemView* view = list_;
        const int needed =
            std::max(view->sizeHintForColumn(c), list_->horizontalHeader()->sectionSizeHint(c));
        const int width = std::max(narrowest_[c], needed);
        if (list_->columnWidth(c) != width) list_->setColumnWidth(c, width);
    }
}

void FilmListPane::fitCell(int row, int column) {
    if (column <= kPathColumn || column >= kColumnCount) return;
    // The changed cell alone: measuring the whole column (up to a thousand rows) for
    // every cell made listing a card's films grow with the square of their number.
    const QModelIndex index = list_->model()->index(row, column);
    const int needed = list_->sizeHintForIndex(index).width() + (list_->showGrid() ? 1 : 0);
    if (needed > list_->columnWidth(column)) list_->setColumnWidth(column, needed);
}

void FilmListPane::SelectFilm(const QString& path) {
    list_->setFocus();
    if (const int row = FindPath(path); row >= 0) list_->SelectItem(row);
}

void FilmListPane::PlayPrevious(const QString& path) {
    playNeighbour(path, -1);
}

void FilmListPane::PlayNext(const QString& path) {
    playNeighbour(path, +1);
}

void FilmListPane::playNeighbour(const QString& path, int step) {
    list_->setFocus();
    const int row = FindPath(path);
    if (row < 0) return;
    const int target = row + step;
    if (target < 0 || target >= list_->GetItemCount()) return;
    list_->SelectItem(target);
    host_.PlayFile(list_->GetItemText(target, kPathColumn));
}

QString FilmListPane::NeighbourPath(const QString& path, int step) const {
    const int row = FindPath(path);
    const int target = row + step;
    if (row < 0 || target < 0 || target >= list_->GetItemCount()) return {};
    return list_->GetItemText(target, kPathColumn);
}

int FilmListPane::FindPath(const QString& path) const {
    for (int row = 0; row < list_->GetItemCount(); ++row)
        if (list_->GetItemText(row, kPathColumn) == path) return row;
    return -1;
}

int FilmListPane::FindName(const QString& name) const {
    for (int row = 0; row < list_->GetItemCount(); ++row)
        if (list_->GetItemText(row, kNameColumn) == name) return row;
    return -1;
}

void FilmListPane::OnDblClick() {
    const int row = list_->GetFirstSelectedItem();
    if (row < 0) return;
    host_.PlayFile(list_->GetItemText(row, kPathColumn));
}

void FilmListPane::OnDelete() {
    const int row = list_->GetFirstSelectedItem();
    if (row < 0) return;
    const QString current = host_.CurrentFilm();
    const bool playing = !current.isEmpty() && list_->GetItemText(row, kPathColumn) == current;
    const QString next = playing ? NeighbourPath(current, 1) : QString();
    list_->DeleteSelectedItems();
    if (!playing) return;
    // A film no longer listed must not go on playing: nothing would follow its end.
    if (next.isEmpty())
        host_.CloseFilm();
    else
        host_.PlayFile(next);
}

void FilmListPane::OnDeleteAll() {
    host_.CloseFilm();
    list_->DeleteAllItems();
}

void FilmListPane::onRightClick(int row, const QPoint& globalPos) {
    if (row < 0) return;
    menu_->popup(globalPos);
}

}  // namespace tesmira
