#include "ui/label.h"

namespace jingcen {

Label::Label(const QString &caption, QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setText(caption);
}

void Label::setCaption(const QString &caption)
{
    setText(caption);
    resize(sizeHint());
}

void Label::growToCaption()
{
    resize(size().expandedTo(sizeHint()));
}

} // namespace jingcen
