#pragma once

#include "RecordDrawing.h"

#include <QWidget>

#include <optional>

namespace merivox {

// Shows one record drawn to scale, as large as the widget allows.
class RecordView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordView)

public:
    explicit RecordView(QWidget *parent = nullptr);

    void setLines(const QList<RecordLine> &lines);
    void clear();
    QSize sizeHint() const override { return {320, 420}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::optional<RecordDrawing> m_drawing;
};

} // namespace merivox
