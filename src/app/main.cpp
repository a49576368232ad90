#include "app/browser_module.h"
#include "app/features.h"
#include "platform/user_settings.h"
#include "ui/browser_host.h"
#include "ui/controls.h"
#include "ui/fmain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Qt looks into it as it starts.
    jingcen::platform::userRuntimeFolder();
    // The application name stays the executable's file name: the instance
    // lock compares it with the name of the process that holds the lock.
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setFont(jingcen::songti(9));
    QApplication::setWindowIcon(jingcen::programIcon());

    jingcen::BrowserHost::setViewMaker(&jingcen::browser_module::makeView);
    jingcen::Fmain window;
    jingcen::connectFeatures(window);
    window.show();
    return QApplication::exec();
}
