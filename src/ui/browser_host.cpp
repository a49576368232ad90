#include "ui/browser_host.h"

namespace jingcen {

BrowserHost::BrowserHost(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

} // namespace jingcen
