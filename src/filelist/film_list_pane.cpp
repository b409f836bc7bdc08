#include "filelist/film_list_pane.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QVBoxLayout>

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
        {"Path", 0},        {"Name", 120}, {"Time", 60},
        {"Date,time", 140}, {"MB", 50},    {"Resolution", 80},
    };
    for (int c = 0; c < kColumnCount; ++c) {
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

    connect(list_, &SortableListView::listDoubleClicked, this, &FilmListPane::OnDblClick);
    connect(list_, &SortableListView::listRightClicked, this, &FilmListPane::onRightClick);
    connect(list_, &SortableListView::deleteKeyPressed, this, &FilmListPane::OnDelete);
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
    if (list_->GetItemText(row, kPathColumn) == host_.CurrentFilm()) host_.StopFilmView();
    list_->DeleteSelectedItems();
}

void FilmListPane::OnDeleteAll() {
    host_.StopFilmView();
    list_->DeleteAllItems();
}

void FilmListPane::onRightClick(int row, const QPoint& globalPos) {
    if (row < 0) return;
    menu_->popup(globalPos);
}

}  // namespace tesmira
