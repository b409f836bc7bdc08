#pragma once
// A browser control for a pane: shows one page at a time and calls the page's
// global script functions by name with text arguments. Calls made while a
// page is on its way (checked, then loading) are kept and delivered in order
// once it has loaded and run its load handler, so that nothing sent to the
// page early is lost.

#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <QWebEngineView>
#include <functional>
#include <vector>

class QWebEngineLoadingInfo;

namespace tesmira {

// Added to the browser's user agent, so that tile and map servers see who asks.
inline constexpr char kUserAgentProduct[] = "Tesmira/" TESMIRA_VERSION;

class BrowserView : public QWebEngineView {
    Q_OBJECT
public:
    using ResultCallback = std::function<void(const QVariant&)>;

    explicit BrowserView(QWidget* parent = nullptr);
    ~BrowserView() override;

    // Before the application object: the browser's picture is composed in software, so a
    // window holding the control stays a raster window. Composed with OpenGL, every repaint
    // of any widget in it (each video frame) uploads the whole window to OpenGL, which on
    // software OpenGL (llvmpipe) costs several times the film's decoding. A QT_QUICK_BACKEND
    // chosen by the user is kept.
    static void UseSoftwareComposition();

    // Takes the place and the control id of the child of `parent` whose
    // "controlId" property is `controlId`, which is deleted. False when there
    // is no such child.
    bool CreateOverPlaceholder(int controlId, QWidget* parent);

    // A page is coming (for example while its provider is checked): calls
    // made from now on are kept for it.
    void ExpectPage();
    // Loads `url`. A page without page functions drops the calls kept for it
    // and every later call.
    void Navigate(const QUrl& url, bool hasPageFunctions = true);

    // Calls window[name](args...) with every argument a JSON-quoted string,
    // so no text can leave its quotes. Delivered at once to a loaded page,
    // kept while a page is expected. False when no page will receive it. The
    // result, when asked for, arrives later on this thread (null when the page
    // has no such function).
    bool CallPageFunction(const QString& name, const QStringList& args = {},
                          ResultCallback result = {});

    bool IsPageReady() const { return state_ == PageState::Ready; }

    // The text after "app:" of a navigation that was cancelled.
    virtual void HandleAppLink(const QString& text);

    // The script CallPageFunction runs.
    static QString PageCallScript(const QString& name, const QStringList& args);

signals:
    // The expected page has loaded and the calls kept for it are sent.
    void pageReady(const QUrl& url);

private:
    friend class BrowserPage;
    enum class PageState { None, Expected, Ready, Inert };
    struct KeptCall {
        QString script;
        ResultCallback result;
    };

    // False cancels the navigation.
    bool BeforeNavigate(const QUrl& url);
    void OnLoadingChanged(const QWebEngineLoadingInfo& info);
    void Deliver(const QString& script, ResultCallback result);

    PageState state_ = PageState::None;
    QUrl expectedUrl_;
    bool expectedHasFunctions_ = true;
    std::vector<KeptCall> kept_;
};

}  // namespace tesmira
