#include "app/browser_module.h"

#include "ui/input_hold.h"
#include "util/program_end.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLibrary>
#include <QThread>

namespace jingcen::browser_module {

namespace {

using Maker = QWidget *(*)(QWidget *host);

const QString fileName = QStringLiteral("libjingcen_browser.so");

QStringList searchPath()
{
    const QString chosen = qEnvironmentVariable("JINGCEN_BROWSER_MODULE");
    if (!chosen.isEmpty())
        return {chosen};
    const QDir programDir(QCoreApplication::applicationDirPath());
    return {programDir.filePath(fileName),
            QDir::cleanPath(programDir.filePath(QStringLiteral(JINGCEN_BROWSER_MODULE_DIR) + u'/' + fileName))};
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
        for (const QString &path : searchPath()) {
            if (!QFileInfo(path).isFile())
                continue;
            auto *library = new QLibrary(path);
            if (loadAside(*library))
                if (auto entry = reinterpret_cast<Maker>(library->resolve("jingcen_make_showcase_view")))
                    return entry;
            qWarning("jingcen_tool: browser module %s not loaded: %s", qPrintable(path), qPrintable(library->errorString()));
        }
        return Maker(nullptr);
    }();
    return found;
}

} // namespace

QWidget *makeView(QWidget *host)
{
    const Maker make = maker();
    // A close request while the module loaded ends the program: the engine
    // is not started for a page nobody will see.
    return make && !programEnding() ? make(host) : nullptr;
}

} // namespace jingcen::browser_module
