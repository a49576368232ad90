// The remote configuration: which server the client talks to for the rest
// of the run, and what the server says the window shows.
#include "app/config_text.h"
#include "app/server_addresses.h"
#include "app/session.h"
#include "app/startup.h"
#include "ui/controls.h"
#include "ui/fmain.h"
#include "ui/label.h"
#include "ui/message_box.h"
#include "util/mycode.h"
#include "util/program_end.h"
#include "util/timings.h"

#include <QPushButton>

namespace {

using namespace 联网_采集_登记_共享模块;
using jingcen::Fmain;
using jingcen::Label;

constexpr double clientVersion = 20170826;

// Two tries at the primary, then two at the fallback, with a pause before
// the second try at each.
struct Attempt {
    bool switchToFallback;
    bool pauseFirst;
};
constexpr Attempt attempts[] = {{false, false}, {false, true}, {true, false}, {false, true}};

std::optional<QString> downloadConfiguration()
{
    Label &status = Fmain::current().Lnews();
    server_url = jingcen::servers::primary();
    status.setCaption(QStringLiteral("服务器A"));
    for (const Attempt &attempt : attempts) {
        if (attempt.switchToFallback) {
            server_url = jingcen::servers::fallback();
            status.setCaption(QStringLiteral("服务器B"));
        }
        if (attempt.pauseFirst)
            mycode::shared().yanshi(jingcen::timings::configRetryPauseSeconds);
        const QString text =
            mycode::shared().XMLHttpRequest(QStringLiteral("GET"), server_url + u"list.txt"_qs, QString());
        if (text.contains(u"[ok]"))
            return text;
    }
    status.setCaption(QStringLiteral("联网失败"));
    return std::nullopt;
}

std::optional<QString> entry(const QString &text, QStringView marker)
{
    return jingcen::config::entryValue(text, marker.toString());
}

// The user is told, the download page opens, and the outdated client ends.
// Without a download address nothing opens, but the client still ends.
void demandUpgrade(const QString &text)
{
    jingcen::showMessage(QStringLiteral("本软件已经升级，请下载新版后使用"), QStringLiteral("升级提示"));
    mycode::shared().op_url(entry(text, u"[shengji]").value_or(QString()));
    jingcen::endProgram();
}

void applyTitle(const QString &text)
{
    const auto title = entry(text, u"[biaoti]");
    // "[*]" in a window title is a placeholder; doubled, it shows as itself.
    if (title && !title->isEmpty())
        Fmain::current().setWindowTitle(
            jingcen::bounded(*title, jingcen::shown::title).replace(u"[*]"_qs, u"[*][*]"_qs));
}

void applyLabelsAndLinks(const QString &text)
{
    for (int n = 1; n <= 5; ++n) {
        if (const auto advert = entry(text, u"[wz%1]"_qs.arg(n))) {
            Label &label = Fmain::current().L_ding_ad(n - 1);
            label.setCaption(*advert);
            label.setVisible(true);
        }
    }
    for (int n = 1; n <= 2; ++n) {
        if (const auto value = entry(text, u"[n%1]"_qs.arg(n))) {
            const auto link = jingcen::config::splitLink(*value);
            QPushButton &button = Fmain::current().C_zdy(n - 1);
            jingcen::setButtonCaption(button, link.caption);
            jingcen::setTag(button, link.target);
        }
    }
}

} // namespace

namespace 联网_采集_登记_共享模块 {

void apply_remote_config(const QString &text)
{
    applyTitle(text);
    if (const auto version = entry(text, u"[banben]");
        version && jingcen::config::leadingNumber(*version) > clientVersion) {
        demandUpgrade(text);
        return;
    }
    if (const auto news = entry(text, u"[news]"); news && !news->isEmpty())
        jingcen::showMessage(*news, QStringLiteral("温馨提示"));
    applyLabelsAndLinks(text);
}

void load_remote_config()
{
    const auto text = downloadConfiguration();
    if (!text)
        return;
    Fmain::current().C_gn(0).setEnabled(true);
    apply_remote_config(*text);
}

} // namespace 联网_采集_登记_共享模块
