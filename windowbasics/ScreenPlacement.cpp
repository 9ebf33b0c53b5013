#include "ScreenPlacement.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace merivox {

namespace {

// One axis: the window runs from start over length; mustStart and mustEnd are offsets into it.
int placeAxis(int start, int length, int mustStart, int mustEnd, int availableStart, int availableLength)
{
    const int availableEnd = availableStart + availableLength;
    const int farthest = availableEnd - (length <= availableLength ? length : mustEnd);
    if (farthest < availableStart) {
        // The corner and the buttons do not both fit: the buttons' far edge, or their near edge
        // if they are wider than the screen themselves.
        return std::max(availableEnd - mustEnd, availableStart - mustStart);
    }
    return std::clamp(start, availableStart, farthest);
}

// The frame that the window manager puts around a window, known once a decorated window is shown.
QMargins frameMargins(const QWidget *window)
{
    auto margins = [](const QWidget *w) {
        const QRect frame = w->frameGeometry();
        const QRect client = w->geometry();
        return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                        frame.bottom() - client.bottom());
    };
    if (window->isVisible() || (window->windowFlags() & Qt::FramelessWindowHint)) {
        return margins(window);
    }
    // Not shown yet: take the frame of another window of the program that has one.
    for (const QWidget *other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible() && !(other->windowFlags() & Qt::FramelessWindowHint) &&
            !margins(other).isNull()) {
            return margins(other);
        }
    }
    return {};
}

} // namespace

QPoint placeOnScreen(const QRect &frame, const QRect &mustSee, const QRect &available)
{
    const QRect must = mustSee.translated(-frame.topLeft());
    return {placeAxis(frame.left(), frame.width(), must.left(), must.left() + must.width(), available.left(),
                      available.width()),
            placeAxis(frame.top(), frame.height(), must.top(), must.top() + must.height(), available.top(),
                      available.height())};
}

void keepOnScreen(QWidget *window)
{
    const QScreen *screen = QGuiApplication::screenAt(window->geometry().topLeft());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (!screen) {
        return;
    }
    const QMargins margins = frameMargins(window);
    const QRect frame = window->geometry().marginsAdded(margins);
    QRect buttons;
    for (const QPushButton *button : window->findChildren<QPushButton *>()) {
        buttons |= QRect(button->mapTo(window, QPoint(0, 0)) + window->geometry().topLeft(), button->size());
    }
    const QPoint corner = placeOnScreen(frame, buttons.isNull() ? frame : buttons, screen->availableGeometry());
    window->setGeometry(QRect(corner + QPoint(margins.left(), margins.top()), window->size()));
}

} // namespace merivox
