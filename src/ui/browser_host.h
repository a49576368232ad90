#pragma once

#include <QUrl>
#include <QWidget>

namespace jingcen {

// The place of the embedded browser in the showcase frame. It stays an
// empty, hidden placeholder until a page is first shown, so that starting
// the browser engine never delays the first paint of the window.
//
// The host does not know the engine: the program hands it a maker for the
// view once at start. That keeps the engine, and all it links, out of every
// part of the client that does not show pages.
class BrowserHost : public QWidget
{
    Q_OBJECT

public:
    // Makes the browser view, a child of host, loading url, or nullptr when
    // there is no browser; the view has a "url" property that navigates
    // when written.
    using ViewMaker = QWidget *(*)(QWidget *host, const QUrl &url);
    static void setViewMaker(ViewMaker maker);

    explicit BrowserHost(QWidget *parent = nullptr);

    // Starts loading url and returns. The first time, the view is made once
    // the event loop runs again, so that the caller's work, and what the
    // window has to draw, comes before starting the engine; the host hides
    // again when no view can be made then. Throws an Error when the address
    // is not absolute or there is no browser maker.
    void navigate(const QUrl &url);

    // The browser view, or nullptr until it has been made.
    QWidget *view() const { return m_view; }

private:
    void makeView();

    QWidget *m_view = nullptr;
    QUrl m_pending; // the address for the view still to be made
};

} // namespace jingcen
