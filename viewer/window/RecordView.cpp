#include "RecordView.h"

#include <QPainter>

namespace merivox {

RecordView::RecordView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("zeichnung"));
    setAccessibleName(QStringLiteral("Zeichnung des Eintrags"));
    setMinimumSize(200, 200);
}

void RecordView::setLines(const QList<RecordLine> &lines)
{
    m_drawing.emplace(lines);
    update();
}

void RecordView::clear()
{
    m_drawing.reset();
    update();
}

void RecordView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_drawing || m_drawing->isEmpty()) {
        painter.setPen(Qt::gray);
        painter.drawText(rect(), Qt::AlignCenter,
                         m_drawing ? QStringLiteral("Nichts zu zeichnen") : QStringLiteral("Kein Eintrag gewählt"));
        return;
    }
    m_drawing->paintFitted(painter, QRectF(rect()).adjusted(8, 8, -8, -8));
}

} // namespace merivox
