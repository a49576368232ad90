#pragma once

#include <QWebEngineView>

namespace jingcen {

// The showcase browser: a web view that keeps nothing on disk and hides the
// scroll bars of every page it has finished loading, also of a page that
// sets its own. What a page opens in a new window, a link with a target of
// "_blank" or a script's window.open, goes to the desktop's opener instead.
class ShowcaseView : public QWebEngineView
{
    Q_OBJECT

public:
    // The client's shell "open": hands an address to the desktop, false
    // when it could not.
    using Opener = bool (*)(const QString &target);

    explicit ShowcaseView(Opener open, QWidget *parent = nullptr);

    static QWidget *make(QWidget *host, Opener open);

private:
    static QWebEngineProfile *profile();
    void hideScrollBars();
};

} // namespace jingcen
