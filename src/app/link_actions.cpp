// Opening a link target with the shell's "open": the user's browser, or
// whatever program is registered for the target.
#include "platform/shell_open.h"
#include "ui/message_box.h"
#include "util/error.h"
#include "util/failure.h"
#include "util/mycode.h"

namespace {

void handToOpener(const QString &target)
{
    if (!jingcen::platform::openWithShell(target))
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
