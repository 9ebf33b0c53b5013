#pragma once

#include <QFont>
#include <QLabel>
#include <QPushButton>

namespace merivox {

// The windows' fonts are Arial (on Linux fontconfig puts Liberation Sans, of the same metrics, in its place).
inline QFont arial(qreal points, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

template <typename Widget> Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A label of a layout table: wrapped within its box, or, with wrap off, on one line as wide as
// its text.
inline QLabel *addLabel(QWidget *parent, const char *name, const QString &text, const QFont &font,
                        Qt::Alignment alignment = Qt::AlignLeft, bool wrap = true)
{
    auto *label = named(new QLabel(text, parent), name);
    label->setFont(font);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setWordWrap(wrap);
    return label;
}

// No window-wide default button: Enter and Space press only the button that has the focus.
template <typename Button = QPushButton> Button *addButton(QWidget *parent, const char *name)
{
    auto *button = named(new Button(parent), name);
    button->setAutoDefault(true);
    return button;
}

} // namespace merivox
