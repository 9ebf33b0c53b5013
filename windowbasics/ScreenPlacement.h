#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QTimer>

#include <vector>

class QWidget;

namespace merivox {

// Where a window goes on its screen. frame is the window with its decorations at the place that
// its layout gives, mustSee the part of it that has to stay on the screen (its push buttons), in
// the same coordinates, and available the part of the screen that windows may use. Returns the
// frame's top-left corner: the given one where the window fits, else moved as little as needed
// to fit. A window larger than the screen keeps its top-left corner and mustSee on the screen;
// where the screen cannot hold both, mustSee wins, moved as little as needed.
QPoint placeOnScreen(const QRect &frame, const QRect &mustSee, const QRect &available);

// Keeps every top-level window of the program, with its frame, on the screen it opens on. Once
// made, it watches the whole application: each window that is shown is placed at once with the
// frame it is expected to get (that of another framed window of the program, or none), and again
// once the window manager has put its frame around it, which is known only after the window is
// mapped. A window that fits stays where its own code put it; one that does not is moved as little
// as needed, its push buttons kept in view. Without a window manager nothing waits for a frame.
// Menus, lists that drop down and tool tips are left alone.
class ScreenPlacement final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScreenPlacement)

public:
    // Watches the application's windows until it is destroyed; parent is usually the application.
    explicit ScreenPlacement(QObject *parent = nullptr);
    ~ScreenPlacement() override;

    // How long after a window is shown its frame is awaited; the window manager's frame comes
    // within a few event loop turns, and a program without one must not poll for long.
    static constexpr int kFrameWaitMs = 3000;
    static constexpr int kFramePollMs = 25;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Awaited
    {
        QPointer<QWidget> window;
        QElapsedTimer shown;
    };
    void checkFrames();

    std::vector<Awaited> m_awaited;
    QTimer m_poll;
};

} // namespace merivox
