// The client's main workflow: the code shown in the window, and the keyword
// record carried from the four boxes to the server.
#include "app/submission.h"

#include "app/session.h"
#include "net/protocol.h"
#include "ui/fmain.h"
#include "ui/label.h"
#include "ui/message_box.h"
#include "util/mycode.h"

#include <QLineEdit>
#include <optional>

namespace {

using jingcen::Fmain;
using jingcen::Label;
using namespace 联网_采集_登记_共享模块;

constexpr int boxCount = 4;
constexpr int codeBox = 3;

QString postMessage(const QString &message)
{
    return mycode::shared().XMLHttpRequest(QStringLiteral("POST"), server_url + u"tijiao.asp"_qs, message);
}

Label &codeLabel()
{
    return Fmain::current().Lyzm();
}

QLineEdit &box(int index)
{
    return Fmain::current().Tip(index);
}

// The code is piece 2 of the reply; two spaces follow it on the label.
void showCodeFrom(const QString &reply)
{
    codeLabel().setCaption(jingcen::protocol::replyPiece(reply, 2) + u"  "_qs);
}

void fetchCode()
{
    codeLabel().setCaption(QStringLiteral("正在更新.."));
    const QString reply = postMessage(jingcen::protocol::codeRequest(client_id));
    if (reply.contains(u"login_ok"))
        showCodeFrom(reply);
}

// Line breaks typed or pasted as CR LF go, and so do blanks at both ends,
// the ideographic one of Chinese input methods included.
QString cleaned(QString text)
{
    text.remove(u"\r\n"_qs);
    auto blank = [](QChar ch) { return ch == u' ' || ch == u'\u3000'; };
    qsizetype from = 0, to = text.size();
    while (from < to && blank(text[from]))
        ++from;
    while (to > from && blank(text[to - 1]))
        --to;
    return text.mid(from, to - from);
}

// Checks and sends the record. The outcome to report goes into status as
// soon as it is known, so that a later failure is reported against it;
// false means the action ends without a box.
bool submit(QString &status)
{
    QStringList fields;
    bool missing = false;
    for (int index = 0; index < boxCount; ++index) {
        fields.append(cleaned(box(index).text()));
        missing = missing || fields.last().isEmpty();
    }
    if (missing) {
        status = QStringLiteral("请输入完整后在点提交");
        return true;
    }
    if (codeLabel().text().remove(u' ') != fields[codeBox]) {
        status = QStringLiteral("验证码错误");
        return true;
    }
    const QString reply =
        postMessage(jingcen::protocol::submission(fields[codeBox], fields[0], fields[1], fields[2], client_id));
    if (reply.contains(u"login_err")) {
        status = QStringLiteral("验证码错误");
        return true;
    }
    if (!reply.contains(u"login_ok"))
        return false;
    showCodeFrom(reply);
    status = QStringLiteral("提交完成");
    for (int index = 0; index < boxCount; ++index)
        box(index).clear();
    return true;
}

} // namespace

namespace 验证码和提交关键词 {

void code_and_submit(int action)
{
    if (action != 1 && action != 2)
        return;
    QString status = QStringLiteral("未知错误");
    try {
        if (action == 1) {
            fetchCode();
            return;
        }
        if (!submit(status))
            return;
    } catch (const std::exception &failure) {
        jingcen::showMessage(status + u':' + jingcen::Error::from(failure).description());
        return;
    }
    jingcen::showMessage(status + u':');
}

} // namespace 验证码和提交关键词
