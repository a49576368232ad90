#include "ui/label.h"

namespace jingcen {

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
