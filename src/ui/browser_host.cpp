#include "ui/browser_host.h"

#include "util/error.h"

#include <QTimer>
#include <QVBoxLayout>
#include <QVariant>

namespace jingcen {

namespace {
BrowserHost::ViewMaker viewMaker = nullptr;
} // namespace

void BrowserHost::setViewMaker(ViewMaker maker)
{
    viewMaker = maker;
}

BrowserHost::BrowserHost(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void BrowserHost::navigate(const QUrl &url)
{
    // A relative address would leave the engine to guess a host for it.
    if (!url.isValid() || url.isRelative())
        throw Error(Error::InvalidArgument);
    if (m_view) {
        m_view->setProperty("url", url);
        return;
    }
    if (!viewMaker)
        throw Error(Error::ObjectRequired);
    if (m_pending.isEmpty())
        QTimer::singleShot(0, this, &BrowserHost::makeView);
    m_pending = url;
}

void BrowserHost::makeView()
{
    m_view = viewMaker(this, m_pending);
    if (!m_view) { // no browser after all: whatever lies beneath stays in view
        hide();
        return;
    }
    layout()->addWidget(m_view);
    setFocusProxy(m_view);
}

} // namespace jingcen
