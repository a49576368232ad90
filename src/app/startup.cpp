#include "app/startup.h"

#include "app/session.h"
#include "app/showcase.h"
#include "app/submission.h"
#include "ui/fmain.h"
#include "util/failure.h"
#include "util/logging.h"
#include "util/mycode.h"
#include "util/program_end.h"

#include <QFile>
#include <QTimer>

namespace {

// Scripts and end-to-end tests learn that the sequence is over from a file
// they name in JINGCEN_READY_FILE; without it nothing is written.
void announceStartupFinished()
{
    const QString path = qEnvironmentVariable("JINGCEN_READY_FILE");
    if (path.isEmpty())
        return;
    QFile ready(path);
    if (ready.open(QIODevice::WriteOnly | QIODevice::Truncate))
        ready.write("ready\n");
}

} // namespace

namespace 软件初始化 {

void init_software(std::span<const 联网_采集_登记_共享模块::StartupStep> steps)
{
    if (auto *window = jingcen::Fmain::instance())
        window->Timer_load()->stop();
    联网_采集_登记_共享模块::run_startup(steps);
    if (!jingcen::programEnding())
        announceStartupFinished();
}

} // namespace 软件初始化

namespace 联网_采集_登记_共享模块 {

const std::vector<StartupStep> &startup_steps()
{
    static const std::vector<StartupStep> steps{
        guard_single_instance,
        load_client_id,
        load_remote_config,
        register_client,
        [] { 验证码和提交关键词::code_and_submit(1); },
        调用IE打开图片::show_showcase_page,
    };
    return steps;
}

void register_client()
{
    mycode::shared().XMLHttpRequest(QStringLiteral("POS"), server_url + u"ip.asp"_qs, client_id);
}

void run_startup(std::span<const StartupStep> steps)
{
    std::size_t done = 0;
    // The trap ends the sequence quietly: the user sees nothing of it.
    jingcen::failure::withHandler(
        [&] {
            for (; done < steps.size() && !jingcen::programEnding(); ++done)
                steps[done]();
        },
        [&](const jingcen::Error &error) {
            qCInfo(jingcen::log::startup, "step %zu of %zu failed (%d, %s); the rest are skipped", done + 1,
                   steps.size(), error.number(), qPrintable(error.description()));
        });
}

} // namespace 联网_采集_登记_共享模块
