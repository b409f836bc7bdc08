#include "map/map_page_scheme.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QUrlQuery>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include "map/map_pages.h"
#include "map/tile_cache_scheme.h"

namespace tesmira {
namespace {

// The host part only makes the pages one origin; the id alone picks the page.
constexpr char kPageHost[] = "tesmira";

}  // namespace

void RegisterMapSchemes() {
    if (QWebEngineUrlScheme::schemeByName(kMapPageScheme).name() == kMapPageScheme) return;
    // Not secure schemes: a page may then load its provider's script and
    // pictures over plain http as well as https.
    QWebEngineUrlScheme pages(kMapPageScheme);
    pages.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    pages.setFlags(QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(pages);
    QWebEngineUrlScheme localPages(kLocalMapPageScheme);
    localPages.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    localPages.setFlags(QWebEngineUrlScheme::CorsEnabled | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(localPages);

    // tile-cache:<percent-coded tile address>, for the OpenStreetMap page's tiles.
    QWebEngineUrlScheme tiles(kTileCacheScheme);
    tiles.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    QWebEngineUrlScheme::registerScheme(tiles);

    QWebEngineUrlScheme appLinks(kAppLinkScheme);
    appLinks.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    QWebEngineUrlScheme::registerScheme(appLinks);
}

// The browser control cancels every "app:" navigation before it gets here; a
// handler must exist all the same, or the navigation never reaches the control.
class AppLinkSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
    }
};

void InstallMapPageScheme(QWebEngineProfile* profile) {
    if (profile->urlSchemeHandler(kMapPageScheme) != nullptr) return;
    profile->installUrlSchemeHandler(kMapPageScheme, new MapPageSchemeHandler(profile));
    profile->installUrlSchemeHandler(kLocalMapPageScheme, new MapPageSchemeHandler(profile));
    profile->installUrlSchemeHandler(kAppLinkScheme, new AppLinkSchemeHandler(profile));
    profile->installUrlSchemeHandler(kTileCacheScheme,
                                     new TileCacheSchemeHandler(profile, TileCacheFolder()));
}

QUrl MapPageUrl(int id, const QString& tileTemplate, const QString& apiKey) {
    const bool readsFiles = TileTemplateReadsFiles(tileTemplate.toStdString());
    QUrl url(QStringLiteral("%1://%2/%3")
                 .arg(readsFiles ? kLocalMapPageScheme : kMapPageScheme, kPageHost)
                 .arg(id));
    QStringList query;
    const auto add = [&query](const char* name, const QString& text) {
        if (text.isEmpty()) return;
        const QByteArray coded =
            text.toUtf8().toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
        query.append(QLatin1String(name) + QLatin1Char('=') + QString::fromLatin1(coded));
    };
    add("tiles", tileTemplate);
    add("key", apiKey);
    if (!query.isEmpty()) url.setQuery(query.join(QLatin1Char('&')));
    return url;
}

int MapPageIdFromUrl(const QUrl& url) {
    if (url.scheme() != QLatin1String(kMapPageScheme) &&
        url.scheme() != QLatin1String(kLocalMapPageScheme))
        return 0;
    bool ok = false;
    const int id = url.path().mid(1).toInt(&ok);
    return ok && FindMapPage(id) != nullptr ? id : 0;
}

void MapPageSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const MapPageEntry* page = FindMapPage(MapPageIdFromUrl(job->requestUrl()));
    if (page == nullptr) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    QFile file(QStringLiteral(":/map/pages/") + QLatin1String(page->resource));
    if (!file.open(QIODevice::ReadOnly)) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* body = new QBuffer(job);
    const QByteArray key = QByteArray::fromBase64(
        QUrlQuery(job->requestUrl()).queryItemValue(QStringLiteral("key")).toLatin1(),
        QByteArray::Base64UrlEncoding);
    body->setData(QByteArray::fromStdString(
        PageWithKey(file.readAll().toStdString(), *page, key.toStdString())));
    job->reply("text/html", body);
}

}  // namespace tesmira
