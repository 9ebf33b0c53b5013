#include "ScreenPlacement.h"

#include <QApplication>
#include <QEvent>
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

QMargins marginsOf(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

bool frameless(const QWidget *window)
{
    return window->windowFlags() & Qt::FramelessWindowHint;
}

// Whether the window manager's frame around a shown window is known: a frameless window has
// none to wait for.
bool frameKnown(const QWidget *window)
{
    return frameless(window) || !marginsOf(window).isNull();
}

// The frame that the window manager puts around a window: its own once known, else that of
// another window of the program that has one.
QMargins frameMargins(const QWidget *window)
{
    if (frameKnown(window)) {
        return marginsOf(window);
    }
    for (const QWidget *other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible() && !frameless(other) && !marginsOf(other).isNull()) {
            return marginsOf(other);
        }
    }
    return {};
}

// The windows that the window manager frames and places: not menus, drop-down lists or tips.
bool placedWindow(const QWidget *widget)
{
    if (!widget->isWindow()) {
        return false;
    }
    switch (widget->windowType()) {
    case Qt::Window:
    case Qt::Dialog:
    case Qt::Sheet:
    case Qt::Tool:
    case Qt::SplashScreen:
        return true;
    default:
        return false;
    }
}

// Moves a top-level window onto the available area of the screen it stands on, its whole frame
// and its push buttons in view. The frame is the window manager's where known; otherwise that of
// another framed window of the program, or none.
void keepOnScreen(QWidget *window)
{
    const QRect client = window->geometry();
    const QScreen *screen = QGuiApplication::screenAt(client.topLeft());
    if (!screen) {
        screen = window->screen();
    }
    if (!screen) {
        return;
    }
    const QRect frame = client.marginsAdded(frameMargins(window));
    QRect buttons;
    for (const QPushButton *button : window->findChildren<QPushButton *>()) {
        if (button->isVisibleTo(window)) {
            buttons |= QRect(button->mapTo(window, QPoint(0, 0)) + client.topLeft(), button->size());
        }
    }
    const QPoint corner = placeOnScreen(frame, buttons.isNull() ? frame : buttons, screen->availableGeometry());
    if (corner != frame.topLeft()) {
        window->setGeometry(client.translated(corner - frame.topLeft()));
    }
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

ScreenPlacement::ScreenPlacement(QObject *parent) : QObject(parent)
{
    m_poll.setInterval(kFramePollMs);
    connect(&m_poll, &QTimer::timeout, this, &ScreenPlacement::checkFrames);
    if (QCoreApplication *application = QCoreApplication::instance()) {
        application->installEventFilter(this);
    }
}

ScreenPlacement::~ScreenPlacement() = default;

bool ScreenPlacement::eventFilter(QObject *watched, QEvent *event)
{
    // Sent once a window has been shown, after its own code (a dialog centring itself over its
    // parent included) has had its say about its place.
    if (event->type() != QEvent::ShowToParent || !watched->isWidgetType()) {
        return false;
    }
    auto *window = static_cast<QWidget *>(watched);
    if (!placedWindow(window)) {
        return false;
    }
    keepOnScreen(window);
    if (!frameKnown(window)) {
        std::erase_if(m_awaited, [window](const Awaited &awaited) { return awaited.window == window; });
        m_awaited.push_back({window, {}});
        m_awaited.back().shown.start();
        m_poll.start();
    }
    return false;
}

void ScreenPlacement::checkFrames()
{
    // Qt learns a frame from the window manager without telling the window: it is looked for.
    std::erase_if(m_awaited, [](const Awaited &awaited) {
        QWidget *window = awaited.window;
        if (!window || !window->isVisible()) {
            return true;
        }
        if (frameKnown(window)) {
            keepOnScreen(window);
            return true;
        }
        return awaited.shown.hasExpired(kFrameWaitMs);
    });
    if (m_awaited.empty()) {
        m_poll.stop();
    }
}

} // namespace merivox
