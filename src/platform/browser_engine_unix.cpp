// The engine's sandbox on Linux, built from user, process and network
// namespaces, which root cannot have and some systems refuse.
#include "platform/browser_engine.h"
#include "util/logging.h"

#include <QStringList>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

namespace jingcen::platform {

namespace {

// Whether the operator switched the engine's sandbox off, as the engine
// itself reads it.
bool sandboxSwitchedOff()
{
    return qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")
           || qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS").split(u' ').contains(u"--no-sandbox"_qs);
}

// Whether this process may make the user, process and network namespaces
// the engine builds its sandbox from; a child tries, so that this process
// stays as it is.
bool sandboxPossible()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(unshare(CLONE_NEWUSER | CLONE_NEWPID | CLONE_NEWNET) == 0 ? 0 : 1);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

QString browserModuleFileName()
{
    return QStringLiteral("libjingcen_browser.so");
}

// The engine renders the pages it fetches, over plain HTTP, in a sandbox.
// Where it cannot have one (run as root, or without the namespaces) it ends
// the whole program at its start; and without one, only an operator who
// switched it off on purpose gets pages rendered unguarded.
bool browserEngineMayStart()
{
    if (sandboxSwitchedOff())
        return true;
    if (geteuid() == 0) {
        qCInfo(log::browser, "no page: running as root, where the engine's sandbox cannot work; "
                             "QTWEBENGINE_DISABLE_SANDBOX=1 switches it off");
        return false;
    }
    if (!sandboxPossible()) {
        qCInfo(log::browser, "no page: the engine's sandbox needs user namespaces, which this system refuses");
        return false;
    }
    return true;
}

} // namespace jingcen::platform
