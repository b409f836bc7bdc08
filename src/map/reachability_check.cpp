#include "map/reachability_check.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <utility>

#include "map/map_pages.h"

namespace tesmira {

ReachabilityCheck::ReachabilityCheck(QObject* parent) : QObject(parent) {
    limit_.setSingleShot(true);
    limit_.setTimerType(Qt::PreciseTimer);  // a coarse timer may end the wait 5 % early
    connect(&limit_, &QTimer::timeout, this, [this] { Finish(false); });
}

ReachabilityCheck::~ReachabilityCheck() {
    Abandon();
}

void ReachabilityCheck::Start(const QString& url, std::function<void(bool)> done) {
    Abandon();
    done_ = std::move(done);
    QNetworkRequest request(QUrl(QString::fromStdString(NormalizeCheckUrl(url.toStdString()))));
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("InetURL:/1.0"));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // A redirect is itself the answer: 302 counts as reachable, 301 does not.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    reply_ = manager_.get(request);
    // The status is known with the headers; the body is not waited for.
    connect(reply_, &QNetworkReply::metaDataChanged, this, &ReachabilityCheck::Judge);
    connect(reply_, &QNetworkReply::finished, this, &ReachabilityCheck::Judge);
    limit_.start(kTimeLimitMs);
}

void ReachabilityCheck::Judge() {
    if (reply_ == nullptr) return;
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid()) {
        Finish(IsReachableStatus(status.toInt()));
    } else if (reply_->isFinished()) {
        Finish(false);
    }
}

void ReachabilityCheck::Finish(bool reachable) {
    auto done = std::exchange(done_, {});
    Abandon();
    if (done) done(reachable);
}

void ReachabilityCheck::Abandon() {
    limit_.stop();
    done_ = {};
    if (QNetworkReply* reply = reply_) {
        reply_ = nullptr;
        reply->disconnect(this);
        // Deleting the reply ends its request; aborting here, possibly inside
        // one of the reply's own signals, upsets it.
        reply->deleteLater();
    }
}

}  // namespace tesmira
