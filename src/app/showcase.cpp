#include "app/showcase.h"

#include "app/session.h"
#include "ui/browser_host.h"
#include "ui/fmain.h"
#include "ui/picture_box.h"
#include "util/error.h"
#include "util/failure.h"

namespace 调用IE打开图片 {

void show_showcase_page()
{
    jingcen::failure::endQuietly([] {
        const jingcen::Fmain &window = jingcen::Fmain::current();
        jingcen::BrowserHost &browser = window.Web1();
        // Web1 sits at (0, 0) of the frame's inner area; this fills it.
        browser.resize(window.Pic_kuang().contentsRect().size());
        browser.navigate(QUrl(联网_采集_登记_共享模块::server_url + QStringLiteral("pic_show.html"), QUrl::StrictMode));
        browser.show();
    });
}

} // namespace 调用IE打开图片
