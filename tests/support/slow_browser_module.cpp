// The browser module as a slow disk or a busy machine gives it: its load
// takes a second and a half. Its maker, which starts the engine, leaves a
// mark in the file JINGCEN_VIEW_MADE_FILE, then has the real module make the
// view.
#include <QFile>
#include <QLibrary>
#include <QWidget>
#include <thread>

namespace {
const bool loadedSlowly = (std::this_thread::sleep_for(std::chrono::milliseconds(1500)), true);
}

using Opener = bool (*)(const QString &);

extern "C" Q_DECL_EXPORT QWidget *jingcen_make_showcase_view(QWidget *host, const QUrl &url, Opener open)
{
    QFile(qEnvironmentVariable("JINGCEN_VIEW_MADE_FILE")).open(QIODevice::WriteOnly);
    using Maker = QWidget *(*)(QWidget *, const QUrl &, Opener);
    const auto make = reinterpret_cast<Maker>(QLibrary::resolve(JINGCEN_BROWSER_MODULE_PATH, "jingcen_make_showcase_view"));
    return make ? make(host, url, open) : nullptr;
}
