#include "app/retext.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QTreeView>
#include <QWidget>

#include "app/language_pack.h"
#include "app/map_providers.h"

namespace tesmira {
namespace {

QString uiText(const char* key) {
    return QString::fromStdString(UiText(key));
}

QString windowText(const QString& key) {
    return QString::fromStdString(WindowText(key.toStdString()));
}

QAction* actionAt(const QWidget* menu, int position) {
    if (!menu) return nullptr;
    const auto actions = menu->actions();
    return position < actions.size() ? actions.at(position) : nullptr;
}

void setTextAt(QWidget* menu, int position, const char* key) {
    if (QAction* action = actionAt(menu, position)) action->setText(uiText(key));
}

void collectCommands(const QWidget* menu, QList<QAction*>& out, int depth = 0) {
    if (!menu || depth > 16) return;
    for (QAction* action : menu->actions()) {
        out.append(action);
        collectCommands(action->menu(), out, depth + 1);
    }
}

QString cutText(const QString& text) {
    if (text.size() <= kMaxPlayPauseTextLength) return text;
    qsizetype n = kMaxPlayPauseTextLength;
    if (text.at(n - 1).isHighSurrogate()) --n;
    return text.left(n);
}

QHeaderView* headerOf(QWidget* widget) {
    if (auto* tree = qobject_cast<QTreeView*>(widget)) return tree->header();
    if (auto* table = qobject_cast<QTableView*>(widget)) return table->horizontalHeader();
    return nullptr;
}

// The window's controls in child order, depth first, without descending into the
// windows of their own that it holds.
void collectControls(QWidget* widget, QList<QWidget*>& out) {
    for (QObject* object : widget->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->property(kDialogIdProperty).isValid()) continue;
        out.append(child);
        collectControls(child, out);
    }
}

}  // namespace

void ReTextMenu(QWidget* menuBar) {
    if (!menuBar) return;
    setTextAt(menuBar, 0, "IDS_MENU_FILE");
    setTextAt(menuBar, 1, "IDS_MENU_VIEW");
    setTextAt(menuBar, 2, "IDS_MENU_HELP");
    if (QAction* view = actionAt(menuBar, 1)) {
        setTextAt(view->menu(), 0, "IDS_MENU_VIEW_LANG");
        setTextAt(view->menu(), 1, "IDS_MENU_VIEW_MAP");
        setTextAt(view->menu(), 2, "IDS_MENU_VIEW_UNIT");
        if (QAction* speed = actionAt(view->menu(), 3))
            speed->setText(QString::fromStdString(UiText(kViewSpeedKey, kViewSpeedText)));
    }
    static const struct {
        int command;
        const char* key;
    } kCommands[] = {
        {57601, "IDS_MENU_FILE_OPEN"},     {32778, "IDS_MENU_VIEW_LANG_CNS"},
        {32779, "IDS_MENU_VIEW_LANG_ENG"}, {32782, "IDS_MENU_VIEW_LANG_CNT"},
        {32781, "IDS_MENU_VIEW_LANG_RU"},  {32789, "IDS_MENU_VIEW_LANG_FRA"},
        {32792, "IDS_MENU_VIEW_UNIT_KMH"}, {32793, "IDS_MENU_VIEW_UNIT_MPH"},
        {32780, "IDS_MENU_HELP_ABOUT"},
    };
    QList<QAction*> actions;
    collectCommands(menuBar, actions);
    const auto setCommandText = [&actions](int command, const QString& text) {
        for (QAction* action : actions) {
            bool ok = false;
            if (action->property(kCommandIdProperty).toInt(&ok) == command && ok) {
                action->setText(text);
                return;
            }
        }
    };
    for (const auto& item : kCommands) setCommandText(item.command, uiText(item.key));
    // Language files written before an item existed, and users' own files, lack
    // its key: such an item keeps its name.
    for (const MapProviderEntry& map : kMapProviders) {
        setCommandText(map.menuCommand,
                       map.keptMenuText != nullptr
                           ? QString::fromStdString(UiText(map.menuKey, map.keptMenuText))
                           : uiText(map.menuKey));
    }
    setCommandText(kFileExitCommand, QString::fromStdString(UiText(kFileExitKey, kFileExitText)));
    setCommandText(kFileOpenFolderCommand,
                   QString::fromStdString(UiText(kFileOpenFolderKey, kFileOpenFolderText)));
    setCommandText(kFileRecentCommand,
                   QString::fromStdString(UiText(kFileRecentKey, kFileRecentText)));
    setCommandText(kFileExportCommand,
                   QString::fromStdString(UiText(kFileExportKey, kFileExportText)));
    setCommandText(kFileExportAllCommand,
                   QString::fromStdString(UiText(kFileExportAllKey, kFileExportAllText)));
    setCommandText(kViewWholeTripCommand,
                   QString::fromStdString(UiText(kViewWholeTripKey, kViewWholeTripText)));
}

PlayPauseTexts ReTextWindow(QWidget* window, int d) {
    PlayPauseTexts texts;
    if (!window) return texts;
    if (const QString title = windowText(QStringLiteral("IDD%1_title").arg(d)); !title.isEmpty())
        window->setWindowTitle(title);

    QList<QWidget*> controls;
    collectControls(window, controls);
    for (QWidget* child : controls) {
        bool ok = false;
        const int id = child->property(kControlIdProperty).toInt(&ok);
        if (!ok) continue;
        const QString key = QStringLiteral("IDD%1_%2").arg(d).arg(id);

        if (auto* button = qobject_cast<QAbstractButton*>(child)) {
            if (const QString text = windowText(key); !text.isEmpty()) button->setText(text);
            if (id == 1000) {
                if (const QString play = windowText(key + "_0"); !play.isEmpty()) {
                    texts.playText = cutText(play);
                    window->setProperty(kPlayTextProperty, texts.playText);
                }
                if (const QString pause = windowText(key + "_1"); !pause.isEmpty()) {
                    texts.pauseText = cutText(pause);
                    window->setProperty(kPauseTextProperty, texts.pauseText);
                }
            }
        }
        if (QHeaderView* header = headerOf(child); header && header->model()) {
            for (int i = 0; i < header->count(); ++i) {
                if (const QString text = windowText(key + QStringLiteral("_%1").arg(i));
                    !text.isEmpty())
                    header->model()->setHeaderData(i, Qt::Horizontal, text);
            }
        }
        const bool isStatic = qobject_cast<QLabel*>(child) ||
                              (QByteArray(child->metaObject()->className()).endsWith("Label") &&
                               child->metaObject()->indexOfProperty("text") >= 0);
        if (isStatic) {
            if (const QString text = windowText(key); !text.isEmpty()) {
                // A language text is shown as written, never taken for markup.
                if (auto* label = qobject_cast<QLabel*>(child)) label->setTextFormat(Qt::PlainText);
                child->setProperty("text", text);
            }
        }
    }
    return texts;
}

}  // namespace tesmira
