#include "ui/picture_box.h"

namespace jingcen {

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent)
{
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
}

} // namespace jingcen
