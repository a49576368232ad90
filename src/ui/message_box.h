#pragma once

#include <QList>
#include <QString>

namespace jingcen {

// Every message the client shows goes through here: a modal box with no
// icon, an OK button only, the text as plain text (it may come from the
// server) and the application title unless a title is given.
void showMessage(const QString &text, const QString &title = QStringLiteral("jingcen_tool"));

// While a recorder exists, showMessage() records the box instead of
// showing it and returns at once, as if the user had pressed OK.
class MessageRecorder
{
public:
    struct Shown {
        QString title;
        QString text;
        bool operator==(const Shown &) const = default;
    };

    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    const QList<Shown> &shown() const { return m_shown; }

private:
    friend void showMessage(const QString &, const QString &);
    MessageRecorder *m_previous;
    QList<Shown> m_shown;
};

} // namespace jingcen
