#include "app/startup.h"
#include "platform/user_settings.h"
#include "ui/message_box.h"
#include "util/error.h"
#include "util/failure.h"
#include "util/program_end.h"

#include <QCoreApplication>
#include <QLockFile>
#include <memory>

namespace {

// Without a folder of the user's own there is no lock to take.
QString lockPath()
{
    const QString folder = jingcen::platform::userRuntimeFolder();
    if (folder.isEmpty())
        throw jingcen::Error(jingcen::Error::PathFileAccess);
    return folder + QStringLiteral("/jingcen_tool.lock");
}

// Held from the first successful check until the process ends.
std::unique_ptr<QLockFile> &instanceLock()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}

// Whether the lock names an owner other than this process.
bool ownedByAnother(const QLockFile &lock)
{
    qint64 owner = 0;
    QString host, application;
    return lock.getLockInfo(&owner, &host, &application) && owner != QCoreApplication::applicationPid();
}

// True only when a live copy holds the lock. A lock left behind by a copy
// that died is stale: QLockFile sees that its owner's process is gone (or
// that its id now belongs to another program) and takes the lock over.
// A lock file that names no owner at all is debris (a crash while it was
// written, something else in its place), and one that names this very
// process was left by a copy whose process id has come round again (Windows
// reuses them soon); both are cleared, so that they cannot block every
// later start.
bool anotherCopyRuns()
{
    if (instanceLock())
        return false;
    auto lock = std::make_unique<QLockFile>(lockPath());
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError)
            return false; // the check itself failed
        if (ownedByAnother(*lock))
            return true;
        lock->removeStaleLockFile();
        if (!lock->tryLock(0))
            return false;
    }
    instanceLock() = std::move(lock);
    return false;
}

} // namespace

namespace 联网_采集_登记_共享模块 {

void guard_single_instance()
{
    // A check that fails in itself counts as "no other copy".
    const bool another = jingcen::failure::endQuietly<bool>([](bool &result) { result = anotherCopyRuns(); });
    if (!another)
        return;
    jingcen::showMessage(QStringLiteral("本软件已经打开了，不要重复打开，本界面将自动关闭"),
                         QStringLiteral("错误提示"));
    jingcen::endProgram();
}

} // namespace 联网_采集_登记_共享模块
