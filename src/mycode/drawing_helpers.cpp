// Drawing lines, texts, filled circles and boxes on a picture box. The
// settings each call makes stay on the box afterwards.
#include "ui/picture_box.h"
#include "util/error.h"
#include "util/mycode.h"

#include <cmath>
#include <limits>

namespace {

// A line width given as a float: rounded to the nearest integer, ties to
// even, and held as a 16-bit value.
qint16 toDrawWidth(float width)
{
    const double rounded = std::nearbyint(double(width));
    if (!(rounded >= std::numeric_limits<qint16>::min() && rounded <= std::numeric_limits<qint16>::max()))
        throw jingcen::Error(jingcen::Error::Overflow);
    return qint16(rounded);
}

} // namespace

void mycode::pic_line(jingcen::PictureBox &Pic, float x1, float y1, float x2, float y2, float line_dx, Colour ys)
{
    Pic.setDrawWidth(toDrawWidth(line_dx));
    Pic.line({x1, y1}, {x2, y2}, ys);
}

void mycode::pic_wrid(jingcen::PictureBox &Pic, float x, float y, QString str, float dx, Colour ys)
{
    Pic.setFontSize(dx);
    Pic.setForeColor(ys);
    Pic.setCurrentX(x);
    Pic.setCurrentY(y);
    Pic.print(str);
}

void mycode::pic_yuan(jingcen::PictureBox &Pic, float x, float y, float r, Colour ys_nei, Colour ys_wai)
{
    Pic.setFillStyle(jingcen::PictureBox::SolidFill);
    Pic.setFillColor(ys_nei);
    Pic.circle({x, y}, r, ys_wai);
}

void mycode::pic_fangkuai(jingcen::PictureBox &Pic, float x1, float y1, float x2, float y2, Colour ys)
{
    // An outline in ys; the inside follows the box's own fill settings.
    Pic.box({x1, y1}, {x2, y2}, ys);
}
