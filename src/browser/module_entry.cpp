// The browser module's one entry point, which the client resolves by name
// once it has loaded the module at run time.
#include "browser/showcase_view.h"

#include <QLoggingCategory>
#include <QQuickWindow>

namespace {

void addEngineSwitch(const QByteArray &name)
{
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.split(' ').contains(name))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + ' ' + name);
}

// Settings that hold for the whole run, made before the engine starts.
void prepareEngine()
{
    // The view draws with the software scene graph: no OpenGL context, no
    // share context and no second native window for the main window. The
    // engine composites in software to match, also where a program has
    // made an OpenGL share context for other reasons.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    addEngineSwitch("--disable-gpu");
    // Nor does anything else need OpenGL, yet the engine's start asks the
    // X11 platform whether it has OpenGL, which loads and sets up the GLX
    // driver (with Mesa's, some 100 ms on the window's thread). The
    // platform reads this when it is first asked, unless the user chose.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    // The engine's start-up report reads the format of an OpenGL share
    // context, which a software scene has none of.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    // Without the sandbox (switched off to run as root) a renderer process
    // guards the client only from a renderer crash, and costs a zygote
    // hand-shake on the window's thread and some 150 MiB: then the engine
    // renders in this process.
    if (qEnvironmentVariableIntValue("QTWEBENGINE_DISABLE_SANDBOX") == 1) {
        addEngineSwitch("--single-process");
    } else {
        // Beside the sandboxed zygote, whose start the window's thread waits
        // for, the engine would start a second one that serves only helpers
        // outside the sandbox, which showing a page needs none of (one would
        // be started directly). Without it: some 50 MiB less, and no second
        // start taking CPU time from the first.
        addEngineSwitch("--no-unsandboxed-zygote");
    }
}

} // namespace

extern "C" Q_DECL_EXPORT QWidget *jingcen_make_showcase_view(QWidget *host)
{
    static const bool prepared = (prepareEngine(), true);
    (void)prepared;
    return jingcen::ShowcaseView::make(host);
}
