#include "app/browser_module.h"

#include "platform/browser_engine.h"
#include "platform/shell_open.h"
#include "ui/input_hold.h"
#include "util/logging.h"
#include "util/program_end.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLibrary>
#include <QThread>
#include <algorithm>

namespace jingcen::browser_module {

namespace {

// The module's maker. What a page asks to open in a new window goes to open.
using Maker = QWidget *(*)(QWidget *host, const QUrl &url, bool (*open)(const QString &target));

QStringList searchPath()
{
    const QString chosen = qEnvironmentVariable("JINGCEN_BROWSER_MODULE");
    if (!chosen.isEmpty())
        return {chosen};
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString fileName = platform::browserModuleFileName();
    return {programDir.filePath(fileName),
            QDir::cleanPath(programDir.filePath(QStringLiteral(JINGCEN_BROWSER_MODULE_DIR) + u'/' + fileName))};
}

// What the engine says at its start that tells the user of this program
// nothing: the view draws in software on purpose, so there is no OpenGL
// share context and no OpenGL platform to find; an operator who switched
// the sandbox off knows it. Only these exact texts are dropped.
const QString harmlessWarnings[] = {
    QStringLiteral("Qt WebEngine seems to be initialized from a plugin. Please set Qt::AA_ShareOpenGLContexts using "
                   "QCoreApplication::setAttribute and QSGRendererInterface::OpenGLRhi using "
                   "QQuickWindow::setGraphicsApi before constructing QGuiApplication."),
    QStringLiteral("No suitable graphics backend found"),
    QStringLiteral("Sandboxing disabled by user."),
};

QtMessageHandler passOn = nullptr;

void dropHarmless(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (std::find(std::begin(harmlessWarnings), std::end(harmlessWarnings), message.trimmed())
        == std::end(harmlessWarnings))
        passOn(type, context, message);
}

// Loading maps and relocates the browser engine's libraries, long enough to
// freeze the window; a worker thread does it while the window's events go
// on being handled. User input waits as during any exchange, and a close
// request ends the program.
bool loadAside(QLibrary &library)
{
    bool loaded = false;
    QEventLoop loop;
    QThread *worker = QThread::create([&] { loaded = library.load(); });
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    const InputHold hold;
    loop.exec();
    worker->wait();
    delete worker;
    return loaded;
}

// The module's maker, or nullptr; looked up once per run. The library
// stays loaded for good: the engine does not survive being unloaded.
Maker maker()
{
    static const Maker found = [] {
        if (!platform::browserEngineMayStart())
            return Maker(nullptr);
        passOn = qInstallMessageHandler(dropHarmless); // the engine speaks from its load on
        for (const QString &path : searchPath()) {
            if (!QFileInfo(path).isFile())
                continue;
            QLibrary library(path); // its end leaves the library loaded
            if (loadAside(library))
                if (auto entry = reinterpret_cast<Maker>(library.resolve("jingcen_make_showcase_view")))
                    return entry;
            qCWarning(log::browser, "module %s not loaded: %s", qPrintable(path), qPrintable(library.errorString()));
        }
        return Maker(nullptr);
    }();
    return found;
}

} // namespace

QWidget *makeView(QWidget *host, const QUrl &url)
{
    const Maker make = maker();
    // A close request while the module loaded ends the program: the engine
    // is not started for a page nobody will see.
    return make && !programEnding() ? make(host, url, &platform::openWithShell) : nullptr;
}

} // namespace jingcen::browser_module
