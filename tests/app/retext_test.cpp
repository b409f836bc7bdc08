#include "app/retext.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeWidget>

#include "app/about_box.h"
#include "app/app_paths.h"
#include "app/ini_profile.h"
#include "app/language_pack.h"
#include "app/settings.h"
#include "app/utf.h"
#include "temp_dir.h"

namespace tesmira {
namespace {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "retext_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

std::string Utf16File(const std::string& utf8) {
    std::string out = "\xFF\xFE";
    for (const char16_t c : Utf8ToUtf16(utf8)) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

// A static-like control of our own, as the overlay label is.
class TestLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    using QWidget::QWidget;
    QString text() const { return text_; }
    void setText(const QString& text) { text_ = text; }

private:
    QString text_;
};

// A window that takes the play and pause texts through properties with setters.
class TestFilmView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString playText READ playText WRITE setPlayText)
public:
    QString playText() const { return play_; }
    void setPlayText(const QString& text) {
        play_ = text;
        ++setterCalls;
    }
    int setterCalls = 0;

private:
    QString play_;
};

class ReText : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        ClearProfileCache();
        SetDataFolder(dir.path());
    }
    void TearDown() override { SetDataFolder(""); }
    void userLanguage(const std::string& code, const std::string& strings) {
        testing::WriteBytes(
            dir.path() + "/Language/user_" + code + ".ini",
            Utf16File("[Setting]\r\nLanguage=" + code + "\r\n[String]\r\n" + strings));
    }
    testing::TempDir dir;
};

QAction* command(QMenu* menu, const QString& text, int id) {
    QAction* action = menu->addAction(text);
    action->setProperty(kCommandIdProperty, id);
    return action;
}

TEST_F(ReText,
       OsmExitOpenFolderSpeedAndTripItemsAreTranslatedOrKeepTheirEnglishNamesButNeverNotFound) {
    QMenuBar bar;
    QMenu* file = bar.addMenu("f");
    QAction* folder = command(file, "Open Folder", kFileOpenFolderCommand);
    QAction* exit = command(file, "Exit", kFileExitCommand);
    QMenu* view = bar.addMenu("v");
    view->addMenu("l");
    QMenu* maps = view->addMenu("m");
    view->addMenu("u");
    QAction* speed = view->addMenu("s")->menuAction();
    QAction* trip = command(view, "t", kViewWholeTripCommand);
    QAction* google = command(maps, "g", 32787);
    QAction* osm = command(maps, "OpenStreetMap", FindMapProvider(kMapOsm)->menuCommand);
    const struct {
        const char* code;
        const char* text;
        const char* exit;
        const char* folder;
        const char* speed;
        const char* trip;
    } builtIn[] = {
        {"en", "OpenStreetMap", "Exit", "Open Folder\u2026", "Speed", "Whole trip"},
        {"zh-CN", "\u5f00\u653e\u8857\u9053\u5730\u56fe(OpenStreetMap)", "\u9000\u51fa",
         "\u6253\u5f00\u6587\u4ef6\u5939\u2026", "\u64ad\u653e\u901f\u5ea6",
         "\u6574\u4e2a\u884c\u7a0b"},
        {"zh-TW", "\u958b\u653e\u8857\u5716(OpenStreetMap)", "\u9000\u51fa",
         "\u958b\u555f\u8cc7\u6599\u593e\u2026", "\u64ad\u653e\u901f\u5ea6",
         "\u6574\u500b\u884c\u7a0b"},
        {"ru", "\u041a\u0430\u0440\u0442\u044b OpenStreetMap", "\u0412\u044b\u0445\u043e\u0434",
         "\u041e\u0442\u043a\u0440\u044b\u0442\u044c \u043f\u0430\u043f\u043a\u0443\u2026",
         "\u0421\u043a\u043e\u0440\u043e\u0441\u0442\u044c "
         "\u0432\u043e\u0441\u043f\u0440\u043e\u0438\u0437\u0432\u0435\u0434\u0435\u043d\u0438"
         "\u044f",
         "\u0412\u0441\u044f \u043f\u043e\u0435\u0437\u0434\u043a\u0430"},
        {"fr", "OpenStreetMap", "Quitter", "Ouvrir un dossier\u2026", "Vitesse de lecture",
         "Trajet entier"},
    };
    for (const auto& language : builtIn) {
        ApplyLanguage(language.code);
        ReTextMenu(&bar);
        EXPECT_EQ(osm->text(), QString::fromUtf8(language.text)) << language.code;
        EXPECT_EQ(exit->text(), QString::fromUtf8(language.exit)) << language.code;
        EXPECT_EQ(folder->text(), QString::fromUtf8(language.folder)) << language.code;
        EXPECT_EQ(speed->text(), QString::fromUtf8(language.speed)) << language.code;
        EXPECT_EQ(trip->text(), QString::fromUtf8(language.trip)) << language.code;
    }
    // A user's file of its own, or one written before the item existed, lacks
    // the key: the Chinese text of the last language does not stay either.
    userLanguage("xx", "IDS_MENU_VIEW_MAP_GOOGLE=Karten\r\n");
    ApplyLanguage("xx");
    ReTextMenu(&bar);
    EXPECT_EQ(google->text(), "Karten");
    EXPECT_EQ(osm->text(), "OpenStreetMap");
    EXPECT_EQ(exit->text(), "Exit");
    EXPECT_EQ(folder->text(), QString::fromUtf8("Open Folder\u2026"));
    EXPECT_EQ(speed->text(), "Speed");
    EXPECT_EQ(trip->text(), "Whole trip");
    userLanguage("yy", "IDS_MENU_VIEW_MAP_OSM=Freie\\nKarte\r\n");
    ApplyLanguage("yy");
    ReTextMenu(&bar);
    EXPECT_EQ(osm->text(), "Freie\nKarte");
    EXPECT_EQ(google->text(), "Not found");
}

TEST_F(ReText, MenuItemsByPositionAndByCommandId) {
    QMenuBar bar;
    QMenu* file = bar.addMenu("f");
    QAction* open = command(file, "o", 57601);
    QMenu* view = bar.addMenu("v");
    QMenu* languages = view->addMenu("l");
    QAction* cns = command(languages, "1", 32778);
    languages->addSeparator();
    QAction* fra = command(languages, "5", 32789);
    QMenu* maps = view->addMenu("m");
    QAction* baidu = command(maps, "b", 32788);
    QMenu* units = view->addMenu("u");
    QAction* mph = command(units, "mph", 32793);
    QMenu* help = bar.addMenu("h");
    QAction* about = command(help, "a", 32780);
    QAction* other = command(help, "keep", 40000);

    ApplyLanguage("fr");
    ReTextMenu(&bar);
    EXPECT_EQ(file->title(), "Fichier");
    EXPECT_EQ(view->title(), "Vue");
    EXPECT_EQ(help->title(), "Aider");
    EXPECT_EQ(languages->title(), "Langue");
    EXPECT_EQ(maps->title(), "En ligne");
    EXPECT_EQ(units->title(), QString::fromUtf8("unit\u00e9 de vitesse"));
    EXPECT_EQ(open->text(), "Ouvrir(&O)");
    EXPECT_EQ(cns->text(), QString::fromUtf8("(zh-CN)\u4e2d\u6587\u7b80\u4f53"));
    EXPECT_EQ(fra->text(), QString::fromUtf8("(fr)Fran\u00e7ais"));
    EXPECT_EQ(baidu->text(), "Baidu En ligne");
    EXPECT_EQ(mph->text(), "MPH");
    EXPECT_EQ(about->text(), "Sur");
    EXPECT_EQ(other->text(), "keep");

    // A user file: a backslash-n gives two lines, a missing key "Not found".
    userLanguage("xx", "IDS_MENU_FILE=two\\nlines\r\nIDS_MENU_HELP_ABOUT=About\r\n");
    ApplyLanguage("xx");
    ReTextMenu(&bar);
    EXPECT_EQ(file->title(), "two\nlines");
    EXPECT_EQ(view->title(), "Not found");
    EXPECT_EQ(open->text(), "Not found");
    EXPECT_EQ(about->text(), "About");

    // A bar with fewer menus than expected is no problem.
    QMenuBar small;
    QMenu* only = small.addMenu("x");
    ReTextMenu(&small);
    EXPECT_EQ(only->title(), "two\nlines");
}

TEST_F(ReText, WindowChildrenByKindAndControlId) {
    QWidget window;
    auto* play = new QPushButton("p", &window);
    play->setProperty(kControlIdProperty, 1000);
    auto* stop = new QPushButton("s", &window);
    stop->setProperty(kControlIdProperty, 1001);
    auto* time = new QLabel("t", &window);
    time->setProperty(kControlIdProperty, 1011);
    auto* unknown = new QLabel("unknown", &window);
    unknown->setProperty(kControlIdProperty, 1099);
    auto* plain = new QLabel("plain", &window);
    auto* panel = new QWidget(&window);  // nested controls are found too
    auto* list = new QTreeWidget(panel);
    list->setProperty(kControlIdProperty, 1003);
    list->setColumnCount(8);
    list->setHeaderLabels({"0", "1", "2", "3", "4", "5", "6", "7"});
    auto* custom = new TestLabel(panel);
    custom->setProperty(kControlIdProperty, 1001);

    ApplyLanguage("ru");
    window.setWindowTitle("old");
    const PlayPauseTexts texts = ReTextWindow(&window, 104);
    EXPECT_EQ(window.windowTitle(), "old");  // no IDD104_title
    EXPECT_EQ(play->text(), QString::fromUtf8("\u0421\u0442\u0430\u0440\u0442"));
    EXPECT_EQ(stop->text(), QString::fromUtf8("\u0421\u0442\u043e\u043f"));
    EXPECT_EQ(time->text(), "00:00:00/00:00:00");
    EXPECT_EQ(unknown->text(), "unknown");
    EXPECT_EQ(plain->text(), "plain");
    EXPECT_EQ(custom->text(), QString::fromUtf8("\u0421\u0442\u043e\u043f"));
    EXPECT_EQ(texts.playText, QString::fromUtf8("\u0421\u0442\u0430\u0440\u0442"));
    EXPECT_EQ(texts.pauseText, QString::fromUtf8("\u041f\u0430\u0443\u0437\u0430"));
    EXPECT_EQ(window.property(kPlayTextProperty).toString(), texts.playText);
    EXPECT_EQ(window.property(kPauseTextProperty).toString(), texts.pauseText);
    // Headers as the film list's dialog (105): seven columns named, the eighth kept.
    ReTextWindow(&window, 105);
    EXPECT_EQ(list->headerItem()->text(0), QString::fromUtf8("\u041f\u0443\u0442\u044c"));
    EXPECT_EQ(list->headerItem()->text(6),
              QString::fromUtf8("\u0410\u0442\u0440\u0438\u0431\u0443\u0446\u0438\u044f"));
    EXPECT_EQ(list->headerItem()->text(7), "7");
    EXPECT_EQ(play->text(), QString::fromUtf8("\u0421\u0442\u0430\u0440\u0442"));  // no IDD105_1000

    // Empty texts leave everything standing; over-long play texts are cut to 249.
    // A text that looks like markup is shown as written.
    userLanguage("yy",
                 "IDD104_title=Film\r\nIDD104_1000=\r\nIDD104_1000_0=" + std::string(300, 'P') +
                     "\r\nIDD104_1000_1=\r\n" + "IDD104_1011=<b>0</b> &amp;\r\n");
    ApplyLanguage("yy");
    const PlayPauseTexts cut = ReTextWindow(&window, 104);
    EXPECT_EQ(window.windowTitle(), "Film");
    EXPECT_EQ(time->text(), "<b>0</b> &amp;");
    EXPECT_EQ(time->textFormat(), Qt::PlainText);
    EXPECT_EQ(unknown->textFormat(), Qt::AutoText);  // not re-texted, left alone
    EXPECT_EQ(play->text(), QString::fromUtf8("\u0421\u0442\u0430\u0440\u0442"));
    EXPECT_EQ(cut.playText, QString(249, 'P'));
    EXPECT_TRUE(cut.pauseText.isEmpty());
    EXPECT_EQ(window.property(kPauseTextProperty).toString(), texts.pauseText);  // unchanged
}

TEST_F(ReText, TableHeadersAndPlayTextSetters) {
    TestFilmView view;
    auto* button = new QPushButton(&view);
    button->setProperty(kControlIdProperty, 1000);
    auto* table = new QTableView(&view);
    table->setProperty(kControlIdProperty, 1003);
    QStandardItemModel model(0, 3);
    table->setModel(&model);

    ApplyLanguage("zh-CN");
    ReTextWindow(&view, 104);
    EXPECT_EQ(view.setterCalls, 1);
    EXPECT_EQ(view.playText(), QString::fromUtf8("\u64ad\u653e"));
    ReTextWindow(&view, 105);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("\u540d\u79f0"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(),
              QString::fromUtf8("\u89c6\u9891\u957f\u5ea6"));
}

TEST_F(ReText, PaneInsideAWindowKeepsItsOwnTexts) {
    // A user's file that names the pane's controls under the outer window's id.
    ApplyLanguage("en");  // makes the language folder
    userLanguage("yy",
                 "IDD102_title=Outer\r\nIDD102_1000=wrong\r\nIDD102_1000_0=wrong\r\n"
                 "IDD102_1011=wrong\r\nIDD104_1000=Play\r\n");
    ApplyLanguage("yy");
    QWidget window;
    auto* own = new QPushButton("own", &window);
    own->setProperty(kControlIdProperty, 1000);
    auto* frame = new QWidget(&window);
    auto* pane = new QWidget(frame);
    pane->setProperty(kDialogIdProperty, 104);
    auto* button = new QPushButton("pane", pane);
    button->setProperty(kControlIdProperty, 1000);
    auto* label = new QLabel("time", new QWidget(pane));
    label->setProperty(kControlIdProperty, 1011);

    ReTextWindow(&window, 102);
    EXPECT_EQ(window.windowTitle(), "Outer");
    EXPECT_EQ(own->text(), "wrong");  // the window's own control is re-texted
    EXPECT_EQ(button->text(), "pane");
    EXPECT_EQ(label->text(), "time");
    EXPECT_FALSE(pane->property(kPlayTextProperty).isValid());
    ReTextWindow(pane, 104);  // the pane itself, under its own id
    EXPECT_EQ(button->text(), "Play");
}

TEST_F(ReText, AboutBoxTextsFollowTheLanguage) {
    {
        AboutBox about;  // first start: English
        EXPECT_EQ(about.windowTitle(), "Tesmira");
        ASSERT_TRUE(about.line(1018));
        EXPECT_EQ(about.line(1018)->text(), "Tesmira");
        EXPECT_EQ(about.line(1019)->text(), "");
        EXPECT_EQ(about.line(1023)->text(), "Web: https://tesmira.example.org");
        EXPECT_EQ(CurrentLanguageFile(), dir.path() + "/Language/Multi_eng.ini");
    }
    ASSERT_TRUE(WriteLanguage("fr"));
    AboutBox french;
    EXPECT_EQ(french.windowTitle(), "environ Tesmira");
    // No contact lines in French: the template's lines stay.
    EXPECT_EQ(french.line(1020)->text(), "Phone: +1 555 0100");
    EXPECT_EQ(french.line(1019)->text(), "");
    ASSERT_TRUE(WriteLanguage("zh-TW"));
    AboutBox chinese;
    EXPECT_TRUE(chinese.line(1020)->text().startsWith(QString::fromUtf8("\u96fb\u8a71")));
}

}  // namespace
}  // namespace tesmira

#include "retext_test.moc"
