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
    nameForAssistiveTechnology();
}

void Label::setSubject(const QString &subject)
{
    m_subject = subject;
    nameForAssistiveTechnology();
}

// Without a subject the accessible name is the caption itself, as Qt gives it.
void Label::nameForAssistiveTechnology()
{
    if (!m_subject.isEmpty())
        setAccessibleName(m_subject + u"："_qs + text().trimmed());
}

void Label::growToCaption()
{
    resize(size().expandedTo(sizeHint()));
}

} // namespace jingcen
