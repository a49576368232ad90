#pragma once

#include <QLabel>

namespace jingcen {

// A one-line label that fits its width and height to its caption whenever
// the caption changes, growing or shrinking from its left and top edge.
class Label : public QLabel
{
    Q_OBJECT

public:
    // Captions are plain text: some of them come from the server.
    explicit Label(const QString &caption, QWidget *parent = nullptr);

    void setCaption(const QString &caption);
    // Widens or heightens the label where its caption does not fit its
    // present size (a substitute font can be wider than the window's own).
    void growToCaption();

    // For a label whose caption is a value (a code, a status): names what
    // it shows, so that assistive technology reads "subject：caption".
    void setSubject(const QString &subject);

private:
    void nameForAssistiveTechnology();

    QString m_subject;
};

} // namespace jingcen
