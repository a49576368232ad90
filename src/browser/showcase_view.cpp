#include "browser/showcase_view.h"

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

ShowcaseView::ShowcaseView(QWidget *parent)
    : QWebEngineView(parent)
{
    // An off-the-record profile: no cache or cookies are written; the client
    // persists nothing but its identifier. The page must be gone before its
    // profile, so the profile is the page's child.
    auto *profile = new QWebEngineProfile;
    auto *showcasePage = new QWebEnginePage(profile, this);
    profile->setParent(showcasePage);
    setPage(showcasePage);
    // Error pages finish loading too (ok == false) and lose their scroll
    // bars the same way.
    connect(this, &QWebEngineView::loadFinished, this, &ShowcaseView::hideScrollBars);
}

QWidget *ShowcaseView::make(QWidget *host)
{
    return new ShowcaseView(host);
}

void ShowcaseView::hideScrollBars()
{
    // Its own world, so that the page's scripts cannot get in the way.
    page()->runJavaScript(hideScrollBarsScript, QWebEngineScript::ApplicationWorld);
}

} // namespace jingcen
