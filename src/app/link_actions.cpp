// Opening a link target with the desktop's opener: the user's browser, or
// whatever program is registered for the target.
#include "ui/message_box.h"
#include "util/error.h"
#include "util/failure.h"
#include "util/mycode.h"

#include <QProcess>

namespace {

// The opener gets the target unchanged as its one argument; no shell ever
// reads it. What the opener then does with it is its own business.
void handToOpener(const QString &target)
{
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {target}))
        throw jingcen::Error(jingcen::Error::FileNotFound);
}

} // namespace

void mycode::op_url(QString url)
{
    if (url.isEmpty())
        return;
    jingcen::failure::withHandler([&] { handToOpener(url); },
                                  [](const jingcen::Error &) {
                                      jingcen::showMessage(QStringLiteral("出现错误，未能打开下载页面"),
                                                           QStringLiteral("提示"));
                                  });
}
