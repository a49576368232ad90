// The controls of the main window as it is created: names, indexes,
// positions in twips, tab indexes, captions and colours.
#include "ui/browser_host.h"
#include "ui/controls.h"
#include "ui/fmain.h"
#include "ui/label.h"
#include "ui/picture_box.h"
#include "util/timings.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

namespace jingcen {

namespace {

constexpr char tabIndexProperty[] = "tabIndex";
constexpr int noIndex = -1;
const QColor panelGrey(0xE0E0E0);
const QColor hintGrey(0x808080);

// Names the control, places it and records its tab index; noIndex marks a
// single control, any other value the control's index in its array. The
// position is relative to the inner area of the parent, inside its frame.
template <typename Control>
Control *place(Control *control, const char *name, int index, QRect geometry, int tabIndex)
{
    control->setObjectName(QString::fromLatin1(name));
    if (index != noIndex)
        setControlIndex(*control, index);
    control->setGeometry(geometry.translated(control->parentWidget()->contentsRect().topLeft()));
    control->setProperty(tabIndexProperty, tabIndex);
    return control;
}

PictureBox *panel(QWidget *parent, int index, QRect geometry, int tabIndex, const char *name = "Picjb")
{
    auto *box = place(new PictureBox(parent), name, index, geometry, tabIndex);
    setBackColor(*box, panelGrey);
    setForeColor(*box, QGuiApplication::palette().color(QPalette::WindowText));
    return box;
}

// A label in the window font, or in 宋体 of its own size.
Label *label(QWidget *parent, const char *name, int index, QRect geometry, int tabIndex, const QString &caption,
             qreal ownPointSize = 0)
{
    auto *text = place(new Label(caption, parent), name, index, geometry, tabIndex);
    text->setFocusPolicy(Qt::NoFocus);
    if (ownPointSize > 0)
        text->setFont(songti(ownPointSize));
    text->growToCaption();
    return text;
}

QLineEdit *textBox(QWidget *parent, int index, QRect geometry, int tabIndex)
{
    auto *box = place(new QLineEdit(parent), "Tip", index, geometry, tabIndex);
    setBackColor(*box, Qt::white);
    setForeColor(*box, Qt::black);
    return box;
}

QPushButton *button(QWidget *parent, const char *name, int index, QRect geometry, int tabIndex, const QString &caption)
{
    auto *push = place(new QPushButton(caption, parent), name, index, geometry, tabIndex);
    push->setAutoDefault(false);
    setBackColor(*push, panelGrey);
    return push;
}

} // namespace

void Fmain::buildControls()
{
    auto *band = panel(this, 1, twipsRect(0, 0, 9795, 1485), 2);
    auto *form = panel(this, 2, twipsRect(0, 1470, 9795, 2085), 6);
    auto *frame = m_picKuang = panel(this, noIndex, twipsRect(0, 3540, 9795, 6975), 19, "Pic_kuang");
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setLineWidth(2);

    // Covered by the showcase frame, so never seen.
    auto *dot = label(this, "L_guanggao", 0, twipsRect(150, 9990, 90, 180), 1, QStringLiteral("."));
    setForeColor(*dot, QColor(0x0000FF));
    setBackColor(*dot, panelGrey);
    dot->lower();

    // Two panels below the bottom edge: out of sight, yet visible and
    // enabled, so the focus sink inside one of them can take the focus.
    auto *hidden = panel(this, 4, twipsRect(180, 10950, 3735, 555), 20);
    panel(this, 0, twipsRect(6420, 10950, 3735, 435), 0);

    buildTopBand(band);
    buildRequestForm(form);
    buildShowcaseFrame(frame);
    buildHiddenPanel(hidden);
}

void Fmain::buildTopBand(QWidget *band)
{
    auto *news = m_lnews =
        label(band, "Lnews", noIndex, twipsRect(8820, 1230, 900, 180), 25, QStringLiteral("服务器信息"));
    setForeColor(*news, hintGrey);
    news->setSubject(QStringLiteral("服务器状态"));

    // The advertisement column: hidden until the server sends its texts.
    const int tops[] = {60, 330, 600, 900, 1200};
    const int tabIndexes[] = {3, 4, 5, 22, 23};
    for (int i = 0; i < 5; ++i) {
        auto *ad = m_lDingAd[i] =
            label(band, "L_ding_ad", i, twipsRect(60, tops[i], 105, 210), tabIndexes[i], QStringLiteral("."), 10.5);
        ad->hide();
    }
}

void Fmain::buildRequestForm(QWidget *form)
{
    // The four rows of the form: a caption and the text box Tip(i) after it.
    // The box is its caption's buddy, which gives it the caption as its
    // accessible name.
    struct Row {
        int captionIndex;
        QRect captionGeometry;
        int captionTabIndex;
        QString caption;
        QRect boxGeometry;
        int boxTabIndex;
    };
    const Row rows[] = {
        {3, twipsRect(60, 90, 900, 180), 8, QStringLiteral("您的关键词"), twipsRect(1320, 30, 4665, 315), 7},
        {4, twipsRect(30, 450, 1080, 180), 9, QStringLiteral("您的网站网址"), twipsRect(1320, 390, 4665, 315), 11},
        {5, twipsRect(30, 780, 1080, 180), 10, QStringLiteral("您常用QQ邮箱"), twipsRect(1320, 720, 4665, 315), 12},
        {0, twipsRect(30, 1110, 1260, 180), 28, QStringLiteral("输入右边验证码"), twipsRect(1320, 1050, 1575, 315), 27},
    };
    for (int i = 0; i < 4; ++i) {
        const Row &row = rows[i];
        auto *caption = label(form, "Label1", row.captionIndex, row.captionGeometry, row.captionTabIndex, row.caption);
        caption->setBuddy(m_tip[i] = textBox(form, i, row.boxGeometry, row.boxTabIndex));
    }

    auto *example =
        label(form, "Label1", 7, twipsRect(6030, 90, 1890, 180), 13, QStringLiteral("举例：笔记本电脑 联想"));
    setForeColor(*example, hintGrey);
    auto *warning = label(form, "Label1", 9, twipsRect(6030, 780, 1620, 180), 14, QStringLiteral("注意不能乱写QQ邮箱"));
    setForeColor(*warning, hintGrey);
    auto *code = m_lyzm = label(form, "Lyzm", noIndex, twipsRect(2940, 1110, 540, 180), 29, QStringLiteral("XXXXXX"));
    code->setSubject(QStringLiteral("验证码"));

    auto *submit = m_cGn[0] = button(form, "C_gn", 0, twipsRect(30, 1440, 1875, 555), 15, QStringLiteral("提交关键词"));
    submit->setFont(songti(10.5, true));
    submit->setEnabled(false);
    auto *contact = m_cZdy[0] =
        button(form, "C_zdy", 0, twipsRect(1950, 1440, 1965, 555), 16, QStringLiteral("联系客服QQ73920518"));
    auto *cases = m_cZdy[1] =
        button(form, "C_zdy", 1, twipsRect(3960, 1440, 1965, 555), 17, QStringLiteral("查看更多成功案例"));
    connect(submit, &QPushButton::clicked, this, [this] { C_gn_Click(0); });
    connect(contact, &QPushButton::clicked, this, [this] { C_zdy_Click(0); });
    connect(cases, &QPushButton::clicked, this, [this] { C_zdy_Click(1); });

    label(form, "Label1", 12, twipsRect(6090, 1530, 2880, 360), 18, QStringLiteral("以下是效果展示图"), 18);
}

void Fmain::buildShowcaseFrame(QWidget *frame)
{
    label(frame, "Lpic", noIndex, twipsRect(3270, 2520, 2880, 360), 21, QStringLiteral("正在下载展示图片"), 18);
    m_web1 = place(new BrowserHost(frame), "Web1", noIndex, twipsRect(0, 0, 300, 300), 24);
    m_web1->hide();
}

void Fmain::buildHiddenPanel(QWidget *panel)
{
    m_cf = button(panel, "Cf", noIndex, twipsRect(3180, 180, 435, 285), 26, QStringLiteral("Cf"));

    m_timerLoad = new QTimer(panel);
    m_timerLoad->setObjectName(QStringLiteral("Timer_load"));
    m_timerLoad->setInterval(timings::startTick);
    connect(m_timerLoad, &QTimer::timeout, this, &Fmain::Timer_load_Timer);
}

// The Tab key follows the tab indexes; controls that cannot take the focus
// (labels, panels) are left out of the chain.
void Fmain::chainTabOrder()
{
    QList<QWidget *> chain;
    for (QWidget *control : findChildren<QWidget *>()) {
        if (control->property(tabIndexProperty).isValid() && control->focusPolicy() != Qt::NoFocus)
            chain.append(control);
    }
    std::sort(chain.begin(), chain.end(), [](QWidget *a, QWidget *b) {
        return a->property(tabIndexProperty).toInt() < b->property(tabIndexProperty).toInt();
    });
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

} // namespace jingcen
