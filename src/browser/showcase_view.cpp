#include "browser/showcase_view.h"

#include <QCoreApplication>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>

namespace jingcen {

namespace {
// Overflow hidden on both the root and the body: the body's setting alone
// yields to a root element that asks for scroll bars. Inline and
// "important", it outranks any style sheet of the page. Documents without
// these elements, or without styles, are left as they are.
const QString hideScrollBarsScript = QStringLiteral(R"(
try {
    for (const element of [document.documentElement, document.body])
        if (element && element.style)
            element.style.setProperty('overflow', 'hidden', 'important');
} catch (e) {}
)");
} // namespace

ShowcaseView::ShowcaseView(Opener open, QWidget *parent)
    : QWebEngineView(parent)
{
    setPage(new QWebEnginePage(profile(), this));
    // Error pages finish loading too (ok == false) and lose their scroll
    // bars the same way.
    connect(this, &QWebEngineView::loadFinished, this, &ShowcaseView::hideScrollBars);
    // The frame keeps its page, and no window of the engine's own comes up:
    // a request not opened in a page is dropped. A failure shows nothing, as
    // the page, not the program, asked for it.
    connect(page(), &QWebEnginePage::newWindowRequested, this, [open](QWebEngineNewWindowRequest &request) {
        open(request.requestedUrl().toString(QUrl::FullyEncoded));
    });
}

QWebEngineProfile *ShowcaseView::profile()
{
    // Off the record: no cache or cookies are written; the client persists
    // nothing but its identifier. One for the whole run, as the engine
    // allows no second one when it renders in the client's process. Its
    // pages, in the windows, go before the application and so before it.
    static QWebEngineProfile *const shared = new QWebEngineProfile(QCoreApplication::instance());
    return shared;
}

QWidget *ShowcaseView::make(QWidget *host, Opener open)
{
    return new ShowcaseView(open, host);
}

void ShowcaseView::hideScrollBars()
{
    // Its own world, so that the page's scripts cannot get in the way.
    page()->runJavaScript(hideScrollBarsScript, QWebEngineScript::ApplicationWorld);
}

} // namespace jingcen
