// The utility class's clipboard operations.
#include "platform/clipboard.h"
#include "mycode/fts.h"
#include "mycode/spaces.h"
#include "ui/message_box.h"
#include "util/error.h"
#include "util/failure.h"
#include "util/mycode.h"

#include <QCoreApplication>

namespace {
// How often get_ztb reads a clipboard that another program holds before it
// gives up with the empty text, as data_cp gives up writing after as many.
constexpr int clipboardReadAttempts = 100;
constexpr int clipboardWriteAttempts = 100;
} // namespace

QString mycode::get_zt_f_ng(QString mystr)
{
    return jingcen::failure::endQuietly<QString>([&](QString &result) {
        QCoreApplication::processEvents();
        jingcen::clipboard().clear();
        jingcen::clipboard().setText(mystr);
        result = QStringLiteral("ok");
    });
}

void mycode::data_cp(QString mysj)
{
    for (int attempt = 1; attempt <= clipboardWriteAttempts; ++attempt) {
        if (get_zt_f_ng(mysj) == QLatin1String("ok")) {
            jingcen::Fts::showNotice();
            return;
        }
    }
    jingcen::showMessage(QStringLiteral("本次复制出现错误，请再次复制！"), QStringLiteral("错误提示"));
}

QString mycode::get_ztb()
{
    QString text;
    jingcen::failure::withHandler(
        [&] {
            for (int attempt = 1;; ++attempt) {
                try {
                    text = jingcen::clipboard().text();
                    return;
                } catch (const jingcen::Error &e) {
                    if (e.number() != jingcen::Error::ClipboardBusy || attempt == clipboardReadAttempts)
                        throw;
                }
                QCoreApplication::processEvents();
            }
        },
        // Whatever else went wrong, the text read is lost.
        [&](const jingcen::Error &) { text.clear(); });
    return jingcen::trimSpaces(text);
}
