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

    // Opens the film in the engine and starts playing it.
    void OpenFilm(const QString& path);
    QString GetDurationText();
    int GetDurationSeconds();
    QString GetResolutionText();

    // The transport actions, as their buttons run them.
    void PlayPause();
    void StopFilm();
    void PreviousFilm();
    void NextFilm();
    // A picture that cannot be saved is reported in a message box naming the file.
    void SaveScreenshot();

    // The player's keys while the pane or its full-screen picture has focus: Space play/pause,
    // Escape leaves full screen, F toggles it, Left/Right seek 5 s, Up/Down 60 s, S screenshot,
    // '.' and ',' one frame forward/back while paused. False for any other key.
    bool HandleKey(int key);

    // After re-texting: the play/pause button shows the pause text again while the film
    // runs (re-texting gives it the language's button text, which reads "play").
    void ShowPlayState();

    // One refresh of slider, time text and labels (the 100 ms timer's step).
    void RefreshTick();
    void UpdateOverlay(double position);
    // Completion code from the engine: 1 end of film, 3 failure.
    void OnGraphEvent(long code);

    QString playText() const { return playText_; }
    void setPlayText(const QString& text) { playText_ = text; }
    QString pauseText() const { return pauseText_; }
    void setPauseText(const QString& text) { pauseText_ = text; }

    // The child with the given control id, or null.
    QWidget* control(int id) const;
    FilmEngine& engine() { return *engine_; }
    bool refreshTimerActive() const;
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
    void layoutControls();
    void startRefresh();
    void stopRefresh();
    void setProgress(int value);
    void onProgressAction(int action);
    void onProgressEndTrack();
    // Seeks as the slider's release does (timer, host) and shows the new second at once.
    void seekTo(double seconds);
    void seekBy(double seconds);
    void showSecondAfterStop();
    // Keeps the position text on one line: the label grows to the left, and where the pane
    // is too narrow for that the font shrinks.
    void fitPositionLabel();
    bool isPlayerKey(const QKeyEvent& event) const;
    bool handleDoubleClick(QWidget* target, const QPointF& position);

    FilmHost& host_;
    Environment environment_;
    std::unique_ptr<FilmEngine> engine_;
    QString playText_;
    QString pauseText_;
    int durationSeconds_ = 0;
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
    OverlayLabel* speedLabel_ = nullptr;
    OverlayLabel* positionLabel_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
};

}  // namespace tesmira
