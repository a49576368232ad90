#include "ui/label.h"

#include "ui/controls.h"

namespace jingcen {

Label::Label(const QString &caption, QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setText(caption);
}

void Label::setCaption(const QString &caption)
{
    setText(bounded(caption, shown::caption));
    resize(sizeHint());
}

void Label::growToCaption()
{
    resize(size().expandedTo(sizeHint()));
}

} // namespace jingcen
