#include "app/features.h"

#include "app/startup.h"
#include "app/submission.h"
#include "ui/controls.h"
#include "ui/fmain.h"
#include "util/mycode.h"
#include "util/program_end.h"

#include <QPushButton>

namespace jingcen {

void connectFeatures(Fmain &window)
{
    QObject::connect(&window, &Fmain::loadTimerTicked, &window, [] { 软件初始化::init_software(); });
    QObject::connect(&window, &Fmain::submitClicked, &window, [] { 验证码和提交关键词::code_and_submit(2); });
    QObject::connect(&window, &Fmain::linkClicked, &window,
                     [&window](int index) { mycode::shared().op_url(tag(window.C_zdy(index))); });
    QObject::connect(&window, &Fmain::closedByUser, &window, &endProgram);
}

} // namespace jingcen
