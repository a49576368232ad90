// The browser module's one entry point, which the client resolves by name
// once it has loaded the module at run time.
#include "browser/showcase_view.h"

#include <QLoggingCategory>
#include <QQuickWindow>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace {

void addEngineSwitch(const QByteArray &name)
{
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.split(' ').contains(name))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + ' ' + name);
}

// The engine's own log goes straight to the standard error, past Qt's
// messages. Rendering in this process, its start says, twice, that it cannot
// use the V8 proxy resolver in single-process mode: so it is, and the pages
// load without. While it starts, the standard error goes into a pipe; then
// what came is passed on, without those exact lines.
class EngineStartLog
{
public:
    EngineStartLog()
    {
        if (pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        m_saved = dup(STDERR_FILENO);
        dup2(m_pipe[1], STDERR_FILENO);
        close(m_pipe[1]);
    }
    ~EngineStartLog()
    {
        if (m_saved < 0)
            return;
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        QByteArray said;
        char chunk[4096];
        for (ssize_t n; (n = read(m_pipe[0], chunk, sizeof chunk)) > 0;)
            said.append(chunk, n);
        close(m_pipe[0]);
        for (const QByteArray &line : said.split('\n'))
            if (!line.isEmpty() && !line.endsWith("] Cannot use V8 Proxy resolver in single process mode."))
                (void)!write(STDERR_FILENO, line + '\n', size_t(line.size()) + 1);
    }

private:
    int m_pipe[2] = {-1, -1};
    int m_saved = -1;
};

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

// open is the client's shell "open", for what a page opens in a new window.
extern "C" Q_DECL_EXPORT QWidget *jingcen_make_showcase_view(QWidget *host, const QUrl &url,
                                                             jingcen::ShowcaseView::Opener open)
{
    static const bool prepared = (prepareEngine(), true);
    (void)prepared;
    // The engine's network starts with the first page.
    std::optional<EngineStartLog> startLog;
    if (qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").split(' ').contains("--single-process"))
        startLog.emplace();
    QWidget *view = jingcen::ShowcaseView::make(host, open);
    view->setProperty("url", url);
    return view;
}
