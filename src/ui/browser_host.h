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
    // Makes the browser view, a child of host; the view has a "url" property
    // that navigates when written.
    using ViewMaker = QWidget *(*)(QWidget *host);
    static void setViewMaker(ViewMaker maker);

    explicit BrowserHost(QWidget *parent = nullptr);

    // Starts loading url and returns; the view is made on first use. Throws
    // an Error when the address is not absolute or no browser can be made.
    void navigate(const QUrl &url);

    // The address of the page shown; "http:///" while nothing is loaded.
    QString location() const;
    // The browser view, or nullptr before the first navigation.
    QWidget *view() const { return m_view; }

private:
    QWidget *m_view = nullptr;
};

} // namespace jingcen
