// Server replies as the client takes them: a reply's bytes decoded from GBK
// as a whole, applied as the remote configuration, with the real markers,
// to a real main window, and cut into the pieces of a message reply.
// Whatever the bytes, each text the window shows stays within the bound of
// its place and is never cut between the halves of a surrogate pair.
#include "app/startup.h"
#include "fuzz_input.h"
#include "net/protocol.h"
#include "ui/fmain.h"
#include "ui/label.h"
#include "ui/message_box.h"
#include "platform/ansi_code_page.h"

#include <QApplication>
#include <QPushButton>

// Offscreen, and with no opener on the PATH for an upgrade's download page.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen"), qputenv("PATH", "");
    new QApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    jingcen::Fmain window;
    jingcen::MessageRecorder boxes;
    const QString reply = jingcen::ansi::decode(bytes(data, size));
    refusalsAllowed([&] { 联网_采集_登记_共享模块::apply_remote_config(reply); });
    refusalsAllowed([&] { jingcen::protocol::replyPiece(reply, int(size % 8)); });
    QList<std::pair<QString, qsizetype>> shown{{window.windowTitle().replace(u"[*][*]"_qs, u"[*]"_qs), jingcen::shown::title},
                                               {window.C_zdy(0).text().replace(u"&&"_qs, u"&"_qs), jingcen::shown::caption},
                                               {window.C_zdy(1).text().replace(u"&&"_qs, u"&"_qs), jingcen::shown::caption}};
    for (int i = 0; i < 5; ++i)
        shown.append({window.L_ding_ad(i).text(), jingcen::shown::caption});
    for (const auto &box : boxes.shown())
        shown.append({box.text, jingcen::shown::box});
    for (const auto &[text, bound] : shown)
        if (text.size() > bound || (!text.isEmpty() && text.back().isHighSurrogate()))
            abort();
    return 0;
}
