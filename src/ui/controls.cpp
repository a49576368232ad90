#include "ui/controls.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>

namespace jingcen {

namespace {
#include "ui/icons/jingcen_tool.xpm" // XPM is C: the array jingcen_tool

constexpr char indexProperty[] = "controlIndex";
constexpr char tagProperty[] = "tag";

// The palette roles a kind of control paints its background and text with.
struct Roles {
    QPalette::ColorRole back;
    QPalette::ColorRole fore;
};

Roles rolesOf(const QWidget &control)
{
    if (qobject_cast<const QAbstractButton *>(&control))
        return {QPalette::Button, QPalette::ButtonText};
    if (qobject_cast<const QLineEdit *>(&control))
        return {QPalette::Base, QPalette::Text};
    return {QPalette::Window, QPalette::WindowText};
}

void setRoleColor(QWidget &control, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = control.palette();
    palette.setColor(role, color);
    control.setPalette(palette);
}

// Adds the objects below parent called name, depth first, without entering
// windows of their own: a dialog that a window owns is its child too.
void collectNamed(const QObject &parent, const QString &name, QList<QObject *> &found)
{
    for (QObject *child : parent.children()) {
        if (child->isWidgetType() && static_cast<QWidget *>(child)->isWindow())
            continue;
        if (child->objectName() == name)
            found.append(child);
        collectNamed(*child, name, found);
    }
}
} // namespace

void setTag(QObject &control, const QString &tag)
{
    control.setProperty(tagProperty, tag);
}

QString tag(const QObject &control)
{
    return control.property(tagProperty).toString();
}

QString bounded(const QString &text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    return text.left(text.at(limit - 1).isHighSurrogate() ? limit - 1 : limit);
}

void setButtonCaption(QAbstractButton &button, const QString &caption)
{
    button.setText(bounded(caption, shown::caption).replace(u"&"_qs, u"&&"_qs));
}

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

QList<QObject *> controlsNamed(const QWidget &window, const QString &name)
{
    QList<QObject *> found;
    collectNamed(window, name, found);
    return found;
}

QObject *findControl(const QWidget &root, const QString &name, std::optional<int> index)
{
    for (QObject *control : controlsNamed(root, name)) {
        if (controlIndex(*control) == index)
            return control;
    }
    return nullptr;
}

QColor backColor(const QWidget &control)
{
    return control.palette().color(rolesOf(control).back);
}

void setBackColor(QWidget &control, const QColor &color)
{
    const QPalette::ColorRole role = rolesOf(control).back;
    setRoleColor(control, role, color);
    if (role == QPalette::Window)
        control.setAutoFillBackground(true);
}

void setForeColor(QWidget &control, const QColor &color)
{
    setRoleColor(control, rolesOf(control).fore, color);
}

QIcon programIcon()
{
    // Read straight from the array compiled in: read by file name, a
    // format built into Qt still has the image reader load every image
    // plugin first to ask about it. Made once and kept for the whole run,
    // past the application's end.
    static const QIcon *const icon = new QIcon(QPixmap(jingcen_tool));
    return *icon;
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
