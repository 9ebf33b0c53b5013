#pragma once

#include <QTimer>
#include <QWidget>

namespace merivox {

// The splash window (frmSplash): title, version, company and author for five seconds; then it
// reports that its time is up and closes. A key that produces a character closes it at once,
// and with it the program.
class SplashWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SplashWindow)

public:
    SplashWindow();

    // Timer1, single shot, 5000 ms, started when the window is first shown.
    QTimer *timer() { return &m_timer; }

    // "Version 1.0.4": major, minor and revision as plain decimal numbers.
    static QString versionText();

signals:
    // Timer1 has fired; the window closes as soon as this returns.
    void timeIsUp();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void onTimer();

    QTimer m_timer;
    bool m_loaded = false;
};

} // namespace merivox
