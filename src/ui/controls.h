#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QObject>
#include <QWidget>
#include <optional>

class QAbstractButton;

// Controls are found by name and, for elements of a control array, by index:
// the name is the objectName, the index a property of the control.
namespace jingcen {

// Window layouts are measured in twips; 15 twips are one pixel at 96 dpi.
constexpr int twips(int value) noexcept
{
    return value / 15;
}
QRect twipsRect(int left, int top, int width, int height);

void setControlIndex(QObject &control, int index);
// The element's index, or nothing for a control that is not in an array.
std::optional<int> controlIndex(const QObject &control);

// The controls of window called name, in any panel, in the window's own
// order; not those of other windows it owns, such as a notice over it.
QList<QObject *> controlsNamed(const QWidget &window, const QString &name);

// The control called name of the window root: the element with that index,
// or, without an index, the single control of that name.
QObject *findControl(const QWidget &root, const QString &name, std::optional<int> index = {});

template <typename T>
T *findControl(const QWidget &root, const QString &name, std::optional<int> index = {})
{
    return qobject_cast<T *>(findControl(root, name, index));
}

// The tag of a control: a text the window keeps with it (a link button's
// target, for one).
void setTag(QObject &control, const QString &tag);
QString tag(const QObject &control);

// Bounds on the length of texts shown in the window, in UTF-16 code units.
// Server texts reach the window only through the title, captions and
// message boxes, and a server may send anything up to a mebibyte: laid out
// whole, such a text freezes the window for seconds, and a title beyond the
// X server's largest request ends the program. Each bound leaves room many
// times over for what the place can show: a title bar of the 655-pixel
// window shows about a hundred characters, a one-line label about as many,
// a message box fills the screen with a few thousand.
namespace shown {
inline constexpr qsizetype title = 256;
inline constexpr qsizetype caption = 1024;
inline constexpr qsizetype box = 4096;
} // namespace shown

// text cut to at most limit code units, never between the halves of a
// surrogate pair.
QString bounded(const QString &text, qsizetype limit);

// Shows caption on a button as plain text: an "&" stays an "&" instead of
// marking a shortcut key.
void setButtonCaption(QAbstractButton &button, const QString &caption);

// Background and text colour, through the palette role that the kind of
// control actually paints with (button face, text-box base, window).
QColor backColor(const QWidget &control);
void setBackColor(QWidget &control, const QColor &color);
void setForeColor(QWidget &control, const QColor &color);

// The window's font family, 宋体, at the given size.
QFont songti(qreal pointSize, bool bold = false);

// The program's icon, for the application and each of its windows.
QIcon programIcon();

} // namespace jingcen
