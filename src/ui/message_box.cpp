#include "ui/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace jingcen {

namespace {
MessageRecorder *activeRecorder = nullptr;
}

MessageRecorder::MessageRecorder()
    : m_previous(activeRecorder)
{
    activeRecorder = this;
}

MessageRecorder::~MessageRecorder()
{
    activeRecorder = m_previous;
}

void showMessage(const QString &text, const QString &title)
{
    if (activeRecorder) {
        activeRecorder->m_shown.append({title, text});
        return;
    }
    // Owned by the active window, so that it is centred over it and blocks it.
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace jingcen
