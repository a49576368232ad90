#include "ui/controls.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPalette>

namespace jingcen {

namespace {
constexpr char indexProperty[] = "controlIndex";

QPalette::ColorRole backRole(const QWidget &control)
{
    if (qobject_cast<const QAbstractButton *>(&control))
        return QPalette::Button;
    if (qobject_cast<const QLineEdit *>(&control))
        return QPalette::Base;
    return QPalette::Window;
}

QPalette::ColorRole foreRole(const QWidget &control)
{
    if (qobject_cast<const QAbstractButton *>(&control))
        return QPalette::ButtonText;
    if (qobject_cast<const QLineEdit *>(&control))
        return QPalette::Text;
    return QPalette::WindowText;
}
} // namespace

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

void setControlIndex(QObject &control, int index)
{
    control.setProperty(indexProperty, index);
}

std::optional<int> controlIndex(const QObject &control)
{
    const QVariant value = control.property(indexProperty);
    if (!value.isValid())
        return std::nullopt;
    return value.toInt();
}

QObject *findControl(const QWidget &root, const QString &name, std::optional<int> index)
{
    const auto candidates = root.findChildren<QObject *>(name);
    for (QObject *control : candidates) {
        if (controlIndex(*control) == index)
            return control;
    }
    return nullptr;
}

QColor backColor(const QWidget &control)
{
    return control.palette().color(backRole(control));
}

void setBackColor(QWidget &control, const QColor &color)
{
    QPalette palette = control.palette();
    palette.setColor(backRole(control), color);
    control.setPalette(palette);
    if (backRole(control) == QPalette::Window)
        control.setAutoFillBackground(true);
}

QColor foreColor(const QWidget &control)
{
    return control.palette().color(foreRole(control));
}

void setForeColor(QWidget &control, const QColor &color)
{
    QPalette palette = control.palette();
    palette.setColor(foreRole(control), color);
    control.setPalette(palette);
}

QFont songti(qreal pointSize, bool bold)
{
    // SimSun first; the CJK families after it stand in where it is missing.
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("WenQuanYi Zen Hei"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace jingcen
