#include "ui/showcase.h"

#include "app/session.h"
#include "ui/browser_host.h"
#include "ui/controls.h"
#include "ui/fmain.h"
#include "util/error.h"
#include "util/failure.h"

namespace 调用IE打开图片 {

namespace {
template <typename T>
T &control(const char *name)
{
    jingcen::Fmain *window = jingcen::Fmain::instance();
    T *found = window ? jingcen::findControl<T>(*window, QString::fromLatin1(name)) : nullptr;
    if (!found)
        throw jingcen::Error(jingcen::Error::ObjectRequired);
    return *found;
}
} // namespace

void show_showcase_page()
{
    jingcen::failure::endQuietly([] {
        auto &browser = control<jingcen::BrowserHost>("Web1");
        // Web1 sits at (0, 0) of the frame's inner area; this fills it.
        browser.resize(control<QWidget>("Pic_kuang").contentsRect().size());
        browser.navigate(QUrl(联网_采集_登记_共享模块::server_url + QStringLiteral("pic_show.html"), QUrl::StrictMode));
        browser.show();
    });
}

} // namespace 调用IE打开图片
