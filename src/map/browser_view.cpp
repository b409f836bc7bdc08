#include "map/browser_view.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include "app/retext.h"
#include "app/startup_trace.h"
#include "map/map_page_scheme.h"

namespace tesmira {

// Hands every navigation to the control first, so it can cancel "app:" links.
class BrowserPage : public QWebEnginePage {
public:
    BrowserPage(QWebEngineProfile* profile, BrowserView& ctrl)
        : QWebEnginePage(profile, &ctrl), ctrl_(ctrl) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        return ctrl_.BeforeNavigate(url);
    }

private:
    BrowserView& ctrl_;
};

BrowserView::BrowserView(QWidget* parent) : QWebEngineView(parent) {
    QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
    InstallMapPageScheme(profile);
    // Tile servers ask an application to name itself in its requests.
    if (!profile->httpUserAgent().contains(QLatin1String(kUserAgentProduct)))
        profile->setHttpUserAgent(profile->httpUserAgent() + ' ' +
                                  QLatin1String(kUserAgentProduct));
    setPage(new BrowserPage(profile, *this));
    page()->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    connect(page(), &QWebEnginePage::loadingChanged, this, &BrowserView::OnLoadingChanged);
}

BrowserView::~BrowserView() = default;

void BrowserView::UseSoftwareComposition() {
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

bool BrowserView::CreateOverPlaceholder(int controlId, QWidget* parent) {
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child == this || child->property(kControlIdProperty).toInt() != controlId) continue;
        const QRect place = child->geometry();
        delete child;
        setParent(parent);
        setGeometry(place);
        setProperty(kControlIdProperty, controlId);
        show();
        return true;
    }
    return false;
}

void BrowserView::ExpectPage() {
    state_ = PageState::Expected;
    expectedUrl_.clear();
}

void BrowserView::Navigate(const QUrl& url, bool hasPageFunctions) {
    state_ = PageState::Expected;
    expectedUrl_ = url;
    expectedHasFunctions_ = hasPageFunctions;
    setUrl(url);
}

QString BrowserView::PageCallScript(const QString& name, const QStringList& args) {
    QJsonArray call{name};
    for (const QString& arg : args) call.append(arg);
    const QString quoted = QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact));
    // A script error ends the call silently, as the page's own error handler would.
    return QStringLiteral(
               "(function (c) {"
               " var f = window[c[0]];"
               " if (typeof f !== 'function') return null;"
               " try { var r = f.apply(window, c.slice(1)); return r === undefined ? null : r; }"
               " catch (e) { return null; }"
               "})(%1)")
        .arg(quoted);
}

bool BrowserView::CallPageFunction(const QString& name, const QStringList& args,
                                   ResultCallback result) {
    switch (state_) {
        case PageState::Ready:
            Deliver(PageCallScript(name, args), std::move(result));
            return true;
        case PageState::Expected:
            kept_.push_back({PageCallScript(name, args), std::move(result)});
            return true;
        case PageState::None:
        case PageState::Inert:
            break;
    }
    return false;
}

void BrowserView::Deliver(const QString& script, ResultCallback result) {
    if (result) {
        page()->runJavaScript(
            script, [result = std::move(result)](const QVariant& value) { result(value); });
    } else {
        page()->runJavaScript(script);
    }
}

void BrowserView::HandleAppLink(const QString&) {}

bool BrowserView::BeforeNavigate(const QUrl& url) {
    const QString text = url.toString();
    if (!text.startsWith(QLatin1String("app:"), Qt::CaseInsensitive)) return true;
    HandleAppLink(text.mid(4));
    return false;
}

void BrowserView::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
    // Only the end of the newest load counts; an older one ends when it is replaced.
    if (state_ != PageState::Expected || expectedUrl_.isEmpty() || info.url() != expectedUrl_) {
        return;
    }
    switch (info.status()) {
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            if (expectedHasFunctions_) {
                state_ = PageState::Ready;
                for (KeptCall& call : kept_) Deliver(call.script, std::move(call.result));
            } else {
                state_ = PageState::Inert;
            }
            kept_.clear();
            TraceStartup("map-page-loaded");
            emit pageReady(info.url());
            break;
        case QWebEngineLoadingInfo::LoadFailedStatus:
            state_ = PageState::None;
            kept_.clear();
            break;
        case QWebEngineLoadingInfo::LoadStartedStatus:
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            break;
    }
}

}  // namespace tesmira
