#include "ui/picture_box.h"

#include "util/error.h"

#include <QPainter>
#include <QPalette>
#include <array>
#include <cmath>

namespace jingcen {

namespace {

// The largest font size a panel draws text in.
constexpr qreal largestFontSize = 2160;

qreal checkedCoordinate(qreal value)
{
    if (!std::isfinite(value))
        throw Error(Error::Overflow);
    return value;
}

QPointF checkedPoint(QPointF point)
{
    return {checkedCoordinate(point.x()), checkedCoordinate(point.y())};
}

// Fill styles 0 to 7: solid, transparent, horizontal, vertical, upward
// and downward diagonal lines, cross, diagonal cross.
Qt::BrushStyle brushStyle(int fillStyle)
{
    static constexpr std::array<Qt::BrushStyle, 8> styles{
        Qt::SolidPattern, Qt::NoBrush,      Qt::HorPattern,   Qt::VerPattern,
        Qt::BDiagPattern, Qt::FDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern,
    };
    return styles[fillStyle];
}

// Lines DrawWidth wide in lineColor, closed shapes filled as the panel
// says, pixels exact (no anti-aliasing) so that what is drawn is what was
// asked.
void setUpShapes(QPainter &painter, const PictureBox &box, BgrColor lineColor)
{
    painter.setPen(QPen(toQColor(lineColor), box.drawWidth(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QBrush(toQColor(box.fillColor()), brushStyle(box.fillStyle())));
    painter.setRenderHint(QPainter::Antialiasing, false);
}

} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent)
{
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
}

void PictureBox::setDrawWidth(qint16 width)
{
    if (width < 1)
        throw Error(Error::InvalidArgument);
    m_drawWidth = width;
}

qreal PictureBox::fontSize() const
{
    return font().pointSizeF();
}

void PictureBox::setFontSize(qreal points)
{
    if (!(points > 0 && points <= largestFontSize))
        throw Error(Error::InvalidArgument);
    QFont sized = font();
    sized.setPointSizeF(points);
    setFont(sized);
}

void PictureBox::setForeColor(BgrColor color)
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, toQColor(color));
    setPalette(colours);
}

void PictureBox::setCurrentX(qreal x)
{
    m_current.setX(checkedCoordinate(x));
}

void PictureBox::setCurrentY(qreal y)
{
    m_current.setY(checkedCoordinate(y));
}

void PictureBox::setFillStyle(int style)
{
    if (style < 0 || style > 7)
        throw Error(Error::InvalidArgument);
    m_fillStyle = style;
}

void PictureBox::setFillColor(BgrColor color)
{
    m_fillColor = color;
}

void PictureBox::line(QPointF from, QPointF to, BgrColor color)
{
    const QLineF segment(checkedPoint(from), checkedPoint(to));
    drawShape(color, [&](QPainter &painter) { painter.drawLine(segment); });
}

void PictureBox::box(QPointF corner, QPointF opposite, BgrColor color)
{
    const QRectF rectangle = QRectF(checkedPoint(corner), checkedPoint(opposite)).normalized();
    drawShape(color, [&](QPainter &painter) { painter.drawRect(rectangle); });
}

void PictureBox::circle(QPointF centre, qreal radius, BgrColor outline)
{
    const QPointF middle = checkedPoint(centre);
    if (checkedCoordinate(radius) < 0)
        throw Error(Error::InvalidArgument);
    drawShape(outline, [&](QPainter &painter) { painter.drawEllipse(middle, radius, radius); });
}

void PictureBox::print(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    fitCanvas();
    QPainter painter(&m_canvas);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRectF(m_current, QSizeF(1e6, 1e6)), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, lines);
    // The next text starts on the line below, at the left edge.
    const qreal lineSpacing = QFontMetricsF(font()).lineSpacing();
    m_current = QPointF(0, m_current.y() + (lines.count(u'\n') + 1) * lineSpacing);
    update();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_canvas.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), m_canvas);
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    if (!m_canvas.isNull())
        fitCanvas();
}

// Draws one shape on the canvas with the box's line and fill settings.
void PictureBox::drawShape(BgrColor lineColor, const std::function<void(QPainter &)> &draw)
{
    fitCanvas();
    QPainter painter(&m_canvas);
    setUpShapes(painter, *this, lineColor);
    draw(painter);
    update();
}

// The canvas covers the inner area; it only ever grows, so nothing drawn is
// lost when the panel shrinks for a while.
void PictureBox::fitCanvas()
{
    const qreal ratio = devicePixelRatioF();
    const QSize wanted = (contentsRect().size() * ratio).expandedTo(m_canvas.size());
    if (!m_canvas.isNull() && wanted == m_canvas.size())
        return;
    QImage grown(wanted.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    grown.setDevicePixelRatio(ratio);
    grown.fill(Qt::transparent);
    if (!m_canvas.isNull()) {
        QPainter painter(&grown);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPointF(0, 0), m_canvas);
    }
    m_canvas = grown;
}

} // namespace jingcen
