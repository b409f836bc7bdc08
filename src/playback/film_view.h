#pragma once
// The pane in which the film plays: video area, transport buttons, progress and
// volume sliders, time text and the speed and position labels of the current
// second. It owns the media engine for its whole life and reaches the main
// window only through FilmHost.

#include <QFont>
#include <QString>
#include <QWidget>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "playback/film_engine.h"
#include "playback/film_host.h"
#include "playback/play_speeds.h"

class QKeyEvent;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

namespace tesmira {

class VideoArea;
class OverlayLabel;
class ProgressSlider;

class FilmView : public QWidget {
    Q_OBJECT
    // Filled by the language pack (keys IDD104_1000_0 and IDD104_1000_1).
    Q_PROPERTY(QString playText READ playText WRITE setPlayText)
    Q_PROPERTY(QString pauseText READ pauseText WRITE setPauseText)

public:
    enum ControlId {
        kPlayPauseId = 1000,
        kStopId = 1001,
        kProgressId = 1002,
        kVideoAreaId = 1008,
        kScreenshotId = 1009,
        kPreviousId = 1010,
        kTimeTextId = 1011,
        kNextId = 1014,
        kVolumeId = 1015,
        kSpeakerId = 1017,
        kSpeedLabelId = 1028,
        kPositionLabelId = 1031,
    };
    static constexpr int kRefreshMs = 100;
    // The smallest pane the layout keeps readable: buttons apart (the volume slider clear
    // of the previous button), the position label on one line beside the speed label.
    static constexpr int kMinimumWidth = 490;
    static constexpr int kMinimumHeight = 300;
    // Seconds a key moves the film: Left/Right and Up/Down.
    static constexpr double kShortSeekSeconds = 5.0;
    static constexpr double kLongSeekSeconds = 60.0;
    // How long the note saying where a screenshot went stays on the picture.
    static constexpr int kNoticeMs = 5000;
    // The note's text: language key, and the text used when the language file lacks it.
    static constexpr char kScreenshotNoticeKey[] = "IDD104_screenshot";
    static constexpr char kScreenshotNoticeText[] = "Screenshot saved: %1";

    // Hooks to the process-wide settings; the defaults read the data folder and
    // the settings file.
    struct Environment {
        std::function<QString()> dataFolder;    // ends in '/'
        std::function<std::string()> readUnit;  // "KMH", "MPH" or what the file holds
        std::function<std::tm()> localTime;
    };
    static Environment DefaultEnvironment();

    // Without an engine the pane makes its libmpv one.
    explicit FilmView(FilmHost& host, std::unique_ptr<FilmEngine> engine = nullptr,
                      QWidget* parent = nullptr, Environment environment = DefaultEnvironment());
    ~FilmView() override;

    // Opens the film in the engine and starts playing it; false (after a message box
    // naming the film) when the engine cannot open it.
    bool OpenFilm(const QString& path);
    // Lets go of the film: nothing is shown or played until the next OpenFilm.
    void CloseFilm();
    // The film that follows the current one (empty: none): made ready while this one plays,
    // so that at the end it takes over from the last frame without a rewind between.
    void PrepareNextFilm(const QString& path);
    QString GetDurationText();
    int GetDurationSeconds();
    QString GetResolutionText();

    // The transport actions, as their buttons run them.
    void PlayPause();
    void StopFilm();
    void PreviousFilm();
    void NextFilm();
    // A saved picture is named in a note over the picture for a few seconds; one that cannot
    // be saved is reported in a message box naming the file.
    void SaveScreenshot();
    // The speaker icon's click: silence, or the volume there was before.
    void ToggleMute();

    // The player's keys anywhere in the pane's window (or its full-screen picture): Space
    // play/pause, Escape leaves full screen, F toggles it, Left/Right seek 5 s, Up/Down 60 s,
    // S screenshot, '.' and ',' one frame forward/back while paused, '[' slower, ']' faster,
    // Backspace normal speed, PgDn/PgUp the host's next/previous event (the list too gives
    // its page keys up for them). False for any other key.
    // A list with the focus keeps Up and Down for its rows.
    bool HandleKey(int key);

    // After re-texting: the play/pause button shows the pause text again while the film
    // runs and the time text the film's second (re-texting gives them the language's
    // template texts, "play" and "00:00:00/00:00:00"); the buttons are fitted to the texts.
    void ShowPlayState();

    // Playback speed, an index into kPlaySpeeds (playback/play_speeds.h): the engine, the
    // time text and the host follow. Normal speed at start.
    void SetSpeed(std::size_t index);
    std::size_t speedIndex() const { return speedIndex_; }
    double speed() const;
    // Marks the film's event seconds on the progress slider; an opened or closed film
    // has none until it is told.
    void SetEventSeconds(const std::vector<int>& seconds);
    // The progress slider values marked (0 ... 1000).
    const std::vector<int>& EventMarks() const;
    // Seeks the open film to `seconds` as a slider release there does; nothing past the end.
    void JumpTo(double seconds);

    // The second the time text and the labels show, -1 before the first.
    int shownSecond() const { return shownSecond_; }

    // One refresh of slider, time text and labels (the 100 ms timer's step).
    void RefreshTick();
    void UpdateOverlay(double position);
    // Completion code from the engine: 1 end of film, 3 failure.
    void OnGraphEvent(long code);

    QString playText() const { return playText_; }
    void setPlayText(const QString& text);
    QString pauseText() const { return pauseText_; }
    void setPauseText(const QString& text);

    // The child with the given control id, or null.
    QWidget* control(int id) const;
    FilmEngine& engine() { return *engine_; }
    bool refreshTimerActive() const;
    // The note over the picture (hidden when there is none).
    QLabel* notice() const { return notice_; }
    int durationSeconds() const { return durationSeconds_; }

protected:
    // Message box with an OK button, titled "Tesmira"; tests replace it.
    virtual void ShowMessage(const QString& text);

    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool filmLoaded();
    // Slider, time text, labels and buttons as they are without a film.
    void showNoFilm();
    void layoutControls();
    // The four transport buttons, each wide enough for its texts, centred as a row.
    void placeButtons();
    int buttonWidth(QPushButton* button, const QStringList& texts) const;
    void showNotice(const QString& text);
    void showVolumeState();
    void startRefresh();
    void stopRefresh();
    void setProgress(int value);
    void onProgressAction(int action);
    void onProgressEndTrack();
    // Seeks as the slider's release does (timer, host) and shows the new second at once.
    void seekTo(double seconds);
    void seekBy(double seconds);
    void showSecondAfterStop();
    // " 2×" after the time text, nothing at normal speed.
    // "elapsed/duration", with the speed beside it when it is not the normal one.
    void showTimeText(int second);
    QString speedSuffix() const;
    int timeTextWidth() const;
    // Keeps the position text on one line: the label grows to the left, and where the pane
    // is too narrow for that the font shrinks.
    void fitPositionLabel();
    bool isPlayerKey(QWidget* target, const QKeyEvent& event) const;
    bool handleDoubleClick(QWidget* target, const QPointF& position);

    FilmHost& host_;
    Environment environment_;
    std::unique_ptr<FilmEngine> engine_;
    QString playText_;
    QString pauseText_;
    int durationSeconds_ = 0;
    std::size_t speedIndex_ = kNormalSpeed;
    int shownSecond_ = -1;
    int opens_ = 0;  // OpenFilm calls, to tell whether an end led to another film
    QString durationText_ = "00:00:00";
    QFont positionFont_;

    VideoArea* videoArea_ = nullptr;
    QPushButton* playPause_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* previous_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* screenshot_ = nullptr;
    ProgressSlider* progress_ = nullptr;
    QSlider* volume_ = nullptr;
    QLabel* speaker_ = nullptr;
    QLabel* timeText_ = nullptr;
    QLabel* notice_ = nullptr;
    QTimer* noticeTimer_ = nullptr;
    int volumeBeforeMute_ = 0;
    OverlayLabel* speedLabel_ = nullptr;
    OverlayLabel* positionLabel_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
};

}  // namespace tesmira
