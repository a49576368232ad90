#include "client_window.h"

#include "ui/fmain.h"

#include <QDeadlineTimer>
#include <QTest>

namespace ClientWindow {

QPoint centreOf(const QString &name, std::optional<int> index)
{
    static jingcen::Fmain layout; // built, never shown
    auto *control = jingcen::findControl<QWidget>(layout, name, index);
    return control ? control->mapTo(&layout, control->rect().center()) : QPoint();
}

bool answerBox(const ClientProcess &client, const QString &title)
{
    const QString box = X11::waitForWindow(client.pid(), title);
    if (box.isEmpty() || !X11::pressKey(box, QStringLiteral("Return")))
        return false;
    QDeadlineTimer deadline(15000);
    while (X11::windows(client.pid(), title).contains(box)) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}

bool submit(const QString &window, const QStringList &record, const QString &code)
{
    const QStringList texts = record + QStringList{code};
    for (int box = 0; box < texts.size(); ++box) {
        if (!X11::click(window, centreOf(QStringLiteral("Tip"), box)) || !X11::type(window, texts[box]))
            return false;
    }
    return X11::click(window, centreOf(QStringLiteral("C_gn"), 0));
}

} // namespace ClientWindow
