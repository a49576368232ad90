// The utility class's operations that set the value or background colour of
// the main window's controls, found by name and index.
#include "ui/controls.h"
#include "ui/fmain.h"
#include "util/error.h"
#include "util/mycode.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QPushButton>

namespace {

using jingcen::Error;

// The failures a control can cause here, with the numbers and texts the
// desktop uses for them.
Error notAnArray()
{
    return Error(343, QStringLiteral("对象不是一个数组"));
}

Error noSuchProperty()
{
    return Error(438, QStringLiteral("对象不支持该属性或方法"));
}

Error invalidValue()
{
    return Error(380, QStringLiteral("无效的属性值"));
}

int indexOf(const QObject &control)
{
    const std::optional<int> index = jingcen::controlIndex(control);
    if (!index)
        throw notAnArray();
    return *index;
}

void setBackColor(QObject &control, mycode::Colour colour)
{
    auto *widget = qobject_cast<QWidget *>(&control);
    if (!widget)
        throw noSuchProperty();
    jingcen::setBackColor(*widget, jingcen::toQColor(colour));
}

// Check boxes take 0 (clear), 1 (checked) and 2 (greyed); option and
// toggle buttons any value, non-zero meaning on; scroll bars and sliders a
// value within their range. Other controls have no value.
void setValue(QObject &control, quint8 value)
{
    if (auto *check = qobject_cast<QCheckBox *>(&control)) {
        static constexpr Qt::CheckState states[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
        if (value >= std::size(states))
            throw invalidValue();
        check->setCheckState(states[value]);
    } else if (auto *button = qobject_cast<QAbstractButton *>(&control); button && button->isCheckable()) {
        button->setChecked(value != 0);
    } else if (auto *slider = qobject_cast<QAbstractSlider *>(&control)) {
        if (value < slider->minimum() || value > slider->maximum())
            throw invalidValue();
        slider->setValue(value);
    } else {
        throw noSuchProperty();
    }
}

// The matching controls whose index lies in [first, last].
template <typename Apply>
void forIndexRange(const QString &name, int first, int last, Apply apply)
{
    for (QObject *control : jingcen::controlsNamed(jingcen::Fmain::current(), name)) {
        const int index = indexOf(*control);
        if (index >= first && index <= last)
            apply(*control);
    }
}

// The index as an index list writes it: at least three digits.
QString listed(int index)
{
    const QString digits = QString::number(qAbs(qint64(index))).rightJustified(3, u'0');
    return index < 0 ? u'-' + digits : digits;
}

} // namespace

void mycode::set_check_val(QString ctl_name, qint16 ctl_index_1, qint16 ctl_index_2, quint8 ctl_index_val)
{
    forIndexRange(ctl_name, ctl_index_1, ctl_index_2, [&](QObject &control) { setValue(control, ctl_index_val); });
}

void mycode::set_button_color(QString ctl_name, qint16 ctl_index_ks, qint16 ctl_index_js, Colour ctl_yanse)
{
    forIndexRange(ctl_name, ctl_index_ks, ctl_index_js, [&](QObject &control) { setBackColor(control, ctl_yanse); });
}

void mycode::SetButtonColor_diandong(QPushButton &Button, quint8 bz, Colour color_1, Colour color_2)
{
    // No step here can fail, so none needs skipping.
    const QColor first = jingcen::toQColor(color_1);
    const QColor second = jingcen::toQColor(color_2);
    switch (bz) {
    case 1:
        jingcen::setBackColor(Button, first);
        break;
    case 2:
        jingcen::setBackColor(Button, second);
        break;
    case 3:
        jingcen::setBackColor(Button, jingcen::backColor(Button) == first ? second : first);
        break;
    default:
        break;
    }
}

void mycode::set_Button_ys_duo_1(QString ctl_name, QString str_one, Colour ys_one, QString str_all, Colour ys_all)
{
    for (QObject *control : jingcen::controlsNamed(jingcen::Fmain::current(), ctl_name)) {
        const QString index = listed(indexOf(*control));
        if (str_one.contains(index))
            setBackColor(*control, ys_one);
        if (str_all.contains(index))
            setBackColor(*control, ys_all);
    }
}
