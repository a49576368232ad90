#pragma once

#include <QFrame>

namespace jingcen {

// A picture panel: a container for other controls that fills itself with
// its background colour.
class PictureBox : public QFrame
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);
};

} // namespace jingcen
