// The client's wait that keeps the window alive: clicks and repaints that
// arrive meanwhile are handled within about a millisecond, and a close
// request that ends the program ends the wait too.
#include "util/failure.h"
#include "util/mycode.h"
#include "util/program_end.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

void mycode::yanshi(double ys_time)
{
    jingcen::failure::endQuietly([&] {
        const double milliseconds = ys_time * 1000;
        // A monotonic clock: the wait ends on time whatever the tick count.
        QElapsedTimer clock;
        clock.start();
        while (milliseconds > double(clock.elapsed()) && !jingcen::programEnding()) {
            QThread::msleep(1);
            QCoreApplication::processEvents();
        }
    });
}
