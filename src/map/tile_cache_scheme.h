#pragma once
// The "tile-cache" URL scheme: the OpenStreetMap page asks for its http(s)
// tiles as tile-cache:<percent-coded tile address>, and the handler fetches
// them through a persistent, size-limited disk cache, so that a map seen once
// shows again without a network.

#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>
#include <functional>

class QNetworkDiskCache;
class QNetworkReply;
class QWebEngineProfile;

namespace tesmira {

inline constexpr char kTileCacheScheme[] = "tile-cache";
inline constexpr qint64 kTileCacheBytes = 200LL * 1024 * 1024;

// The cache's folder: "tiles" in the user's cache folder (XDG_CACHE_HOME).
QString TileCacheFolder();

// The tile address a tile-cache URL stands for; empty when it names no http(s) address.
QUrl TileAddressOf(const QUrl& tileCacheUrl);

class TileCacheSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    // Tiles are fetched with the profile's user agent; the cache lives in `folder`.
    TileCacheSchemeHandler(QWebEngineProfile* profile, const QString& folder);

    void requestStarted(QWebEngineUrlRequestJob* job) override;

    // Decides for each tile address whether it may be fetched from the network
    // (tests keep everything but their own servers off it); none: every one may.
    using NetworkFilter = std::function<bool(const QUrl&)>;
    static void SetNetworkFilter(NetworkFilter filter);

private:
    void fetch(QWebEngineUrlRequestJob* job, const QUrl& address, bool fromCacheOnly);

    QWebEngineProfile* profile_;
    QNetworkAccessManager network_;
    QNetworkDiskCache* cache_;
};

}  // namespace tesmira
