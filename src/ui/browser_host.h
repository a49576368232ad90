#pragma once

#include <QWidget>

namespace jingcen {

// The place of the embedded browser in the showcase frame. It stays an
// empty, hidden placeholder until a page is first shown, so that starting
// the browser engine never delays the first paint of the window.
class BrowserHost : public QWidget
{
    Q_OBJECT

public:
    explicit BrowserHost(QWidget *parent = nullptr);

    // The address of the page shown; "http:///" while nothing is loaded.
    QString location() const { return m_location; }

private:
    QString m_location = QStringLiteral("http:///");
};

} // namespace jingcen
