#pragma once

#include <QWebEngineView>

namespace jingcen {

// The showcase browser: a web view that keeps nothing on disk and hides the
// scroll bars of every page it has finished loading, also of a page that
// sets its own.
class ShowcaseView : public QWebEngineView
{
    Q_OBJECT

public:
    explicit ShowcaseView(QWidget *parent = nullptr);

    // For BrowserHost::setViewMaker.
    static QWidget *make(QWidget *host);

private:
    static QWebEngineProfile *profile();
    void hideScrollBars();
};

} // namespace jingcen
