#pragma once
// The "res" URL scheme that serves the map pages from the resources by id:
// res://tesmira/<id>. A page added to the page table (map/map_pages.h) is
// served without further changes here.

#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

class QWebEngineProfile;

namespace tesmira {

inline constexpr char kMapPageScheme[] = "res";
// The same pages as local content, which may read local files: only for a page
// that needs to (OpenStreetMap with tiles in a folder).
inline constexpr char kLocalMapPageScheme[] = "res-local";

// "app:" links, which the browser control cancels and hands on.
inline constexpr char kAppLinkScheme[] = "app";

// Declares the schemes to Qt WebEngine (without it an "app:" link never
// reaches the browser control). Must run before the QApplication is
// constructed (Qt WebEngine fixes its schemes when it starts); repeated calls do nothing.
void RegisterMapSchemes();

// Serves the pages in `profile` (once per profile; repeated calls do nothing).
void InstallMapPageScheme(QWebEngineProfile* profile);

// res://tesmira/<id>. A tile template, when given, rides along as the query
// "tiles", base64url-coded UTF-8, so that no text can alter the address or
// reach the page as anything but the template; a template of local files
// makes it res-local://tesmira/<id>. An API key rides along the same way as
// "key"; the page is served with it in its provider script's address.
QUrl MapPageUrl(int id, const QString& tileTemplate = {}, const QString& apiKey = {});
// The page id of a "res" or "res-local" URL; 0 when the URL names no page.
int MapPageIdFromUrl(const QUrl& url);

class MapPageSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override;
};

}  // namespace tesmira
