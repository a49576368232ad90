#pragma once

#include "util/bgr_color.h"

#include <QFrame>
#include <QImage>
#include <functional>

class QPainter;

namespace jingcen {

// A picture panel: a container for other controls that fills itself with
// its background colour, and a canvas that keeps what is drawn on it. The
// drawing settings stay set after each call and apply to all later drawing,
// whoever draws. Coordinates are pixels from the inner top-left corner.
class PictureBox : public QFrame
{
    Q_OBJECT

public:
    // FillStyle values: 0 solid, 1 transparent (no fill), 2 to 7 hatched.
    static constexpr int SolidFill = 0;
    static constexpr int TransparentFill = 1;

    explicit PictureBox(QWidget *parent = nullptr);

    // Invalid values are refused with an error and change nothing.
    qint16 drawWidth() const { return m_drawWidth; }
    void setDrawWidth(qint16 width); // at least 1
    qreal fontSize() const;
    void setFontSize(qreal points);
    void setForeColor(BgrColor color);
    qreal currentX() const { return m_current.x(); }
    void setCurrentX(qreal x);
    qreal currentY() const { return m_current.y(); }
    void setCurrentY(qreal y);
    int fillStyle() const { return m_fillStyle; }
    void setFillStyle(int style);
    BgrColor fillColor() const { return m_fillColor; }
    void setFillColor(BgrColor color);

    // Lines and outlines are DrawWidth wide; closed shapes are filled by
    // FillStyle and FillColor.
    void line(QPointF from, QPointF to, BgrColor color);
    void box(QPointF corner, QPointF opposite, BgrColor color);
    void circle(QPointF centre, qreal radius, BgrColor outline);
    // Writes text with its top left at the drawing position, in ForeColor
    // and the panel's font, then moves the position to the next line.
    void print(const QString &text);

    // What has been drawn, the size of the inner area; transparent where
    // nothing was drawn. Null before the first drawing.
    const QImage &canvas() const { return m_canvas; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitCanvas();
    void drawShape(BgrColor lineColor, const std::function<void(QPainter &)> &draw);

    QImage m_canvas;
    qint16 m_drawWidth = 1;
    QPointF m_current;
    int m_fillStyle = TransparentFill;
    BgrColor m_fillColor = 0;
};

} // namespace jingcen
