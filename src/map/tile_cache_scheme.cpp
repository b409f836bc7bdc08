#include "map/tile_cache_scheme.h"

#include <QBuffer>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>

#include "map/map_page_scheme.h"

namespace tesmira {
namespace {

// A tile server that does not answer within this long counts as unreachable:
// the cached copy, if any, is shown instead.
constexpr int kTransferTimeoutMs = 15000;

TileCacheSchemeHandler::NetworkFilter& networkFilter() {
    static TileCacheSchemeHandler::NetworkFilter filter;
    return filter;
}

// Only the player's own map pages may use the cache (and so the network through it).
bool FromMapPage(const QWebEngineUrlRequestJob* job) {
    const QString scheme = job->initiator().scheme();
    return scheme == QLatin1String(kMapPageScheme) || scheme == QLatin1String(kLocalMapPageScheme);
}

}  // namespace

QString TileCacheFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
           QStringLiteral("/tiles");
}

QUrl TileAddressOf(const QUrl& tileCacheUrl) {
    if (tileCacheUrl.scheme() != QLatin1String(kTileCacheScheme)) return {};
    const QUrl address(QUrl::fromPercentEncoding(tileCacheUrl.path(QUrl::FullyEncoded).toLatin1()));
    const QString scheme = address.scheme();
    const bool web = scheme == QLatin1String("http") || scheme == QLatin1String("https");
    return web && address.isValid() && !address.host().isEmpty() ? address : QUrl();
}

TileCacheSchemeHandler::TileCacheSchemeHandler(QWebEngineProfile* profile, const QString& folder)
    : QWebEngineUrlSchemeHandler(profile), profile_(profile), cache_(new QNetworkDiskCache(this)) {
    cache_->setCacheDirectory(folder);
    cache_->setMaximumCacheSize(kTileCacheBytes);
    network_.setCache(cache_);
}

void TileCacheSchemeHandler::SetNetworkFilter(NetworkFilter filter) {
    networkFilter() = std::move(filter);
}

void TileCacheSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const QUrl address = TileAddressOf(job->requestUrl());
    if (address.isEmpty() || !FromMapPage(job)) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const NetworkFilter& filter = networkFilter();
    fetch(job, address, filter && !filter(address));
}

// The network first, so that the server's expiry rules keep tiles fresh; when
// it cannot be reached, whatever copy the cache holds, however old. Nothing
// here waits: the answer comes through the event loop.
void TileCacheSchemeHandler::fetch(QWebEngineUrlRequestJob* job, const QUrl& address,
                                   bool fromCacheOnly) {
    QNetworkRequest request(address);
    request.setHeader(QNetworkRequest::UserAgentHeader, profile_->httpUserAgent());
    request.setTransferTimeout(kTransferTimeoutMs);
    request.setAttribute(
        QNetworkRequest::CacheLoadControlAttribute,
        fromCacheOnly ? QNetworkRequest::AlwaysCache : QNetworkRequest::PreferNetwork);
    QNetworkReply* reply = network_.get(request);
    // The page may go away (and the job with it) before the tile comes.
    const QPointer<QWebEngineUrlRequestJob> pending(job);
    connect(job, &QObject::destroyed, reply, &QNetworkReply::abort);
    connect(reply, &QNetworkReply::finished, this, [this, reply, pending, address, fromCacheOnly] {
        reply->deleteLater();
        if (pending == nullptr) return;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() == QNetworkReply::NoError && status >= 200 && status < 300) {
            auto* body = new QBuffer(pending);
            body->setData(reply->readAll());
            const QByteArray type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
            pending->reply(type.isEmpty() ? QByteArrayLiteral("image/png") : type, body);
        } else if (!fromCacheOnly && status == 0) {
            fetch(pending, address, true);  // no answer at all: the network is away
        } else {
            pending->fail(QWebEngineUrlRequestJob::RequestFailed);
        }
    });
}

}  // namespace tesmira
