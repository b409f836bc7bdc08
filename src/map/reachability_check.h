#pragma once
// Whether a map provider answers: one GET of its script endpoint, judged by
// the HTTP status alone (200 and 302 are reachable; any other status, an
// error or no answer within 3000 ms are not). Runs on the UI thread's event
// loop without blocking it; a newer check replaces one still running.

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

namespace tesmira {

class ReachabilityCheck : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimeLimitMs = 3000;

    explicit ReachabilityCheck(QObject* parent = nullptr);
    ~ReachabilityCheck() override;

    // Checks `url` as the check treats it (lower case, "http://" added when
    // missing). `done` runs once on this thread with the verdict, unless a
    // newer Start or the end of this object abandons the check first.
    void Start(const QString& url, std::function<void(bool reachable)> done);
    bool IsRunning() const { return reply_ != nullptr; }
    // Abandons a check still running; its `done` never runs.
    void Cancel() { Abandon(); }

    static bool IsReachableStatus(int status) { return status == 200 || status == 302; }

private:
    void Judge();
    void Finish(bool reachable);
    void Abandon();

    QNetworkAccessManager manager_;
    QPointer<QNetworkReply> reply_;
    QTimer limit_;
    std::function<void(bool)> done_;
};

}  // namespace tesmira
