#include "SplashWindow.h"

#include "Controls.h"
#include "Pictures.h"
#include "SelectionWindow.h"
#include "Twips.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

namespace merivox {

namespace {

// The client area and every control, in twips. The controls inside Frame1 are placed relative
// to the frame.
constexpr TwipRect kClientArea{"frmSplash", 0, 0, 7380, 4380};
constexpr TwipRect kLayout[] = {
    {"Frame1", 150, 120, 7080, 4176}, {"imgLogo", 0, 120, 7092, 1068},    {"lblProductName", 360, 1800},
    {"lblVersion", 360, 2520},        {"e", 360, 3000, 2412, 252},        {"lblCompany", 360, 3276, 2412, 252},
    {"Label1", 360, 3600, 1932, 252}, {"Image1", 4200, 1320, 2280, 2772},
};

constexpr int kTimerInterval = 5000;

// A picture stretched to the size of its box, once the box is placed.
void stretchPicture(QWidget *window, const char *name, QStringView picture)
{
    auto *label = window->findChild<QLabel *>(QString::fromLatin1(name));
    label->setPixmap(renderPicture(picture, label->size(), window->devicePixelRatioF()));
}

} // namespace

SplashWindow::SplashWindow(EditorState &state) : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_state(state)
{
    setObjectName(QString::fromLatin1(kClientArea.name));
    setFixedSize(toPixels(kClientArea).size());
    setFocusPolicy(Qt::StrongFocus);

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);

    addLabel(frame, "imgLogo", QString(), QFont(), Qt::AlignLeft, false);
    addLabel(frame, "lblProductName", QStringLiteral("Produkt"), arial(16.5, true), Qt::AlignLeft, false);
    addLabel(frame, "lblVersion", QStringLiteral("Version"), arial(12, true), Qt::AlignLeft, false);
    addLabel(frame, "e", QStringLiteral("Entwickelt von"), arial(8.25), Qt::AlignLeft, false);
    addLabel(frame, "lblCompany", QStringLiteral("Quentar GmbH"), arial(8.25), Qt::AlignLeft, false);
    addLabel(frame, "Label1", QStringLiteral("Merivox-Team"), arial(7.5), Qt::AlignLeft, false);
    addLabel(frame, "Image1", QString(), QFont(), Qt::AlignLeft, false);

    // Load: the two labels take the version and the application's title.
    findChild<QLabel *>(QStringLiteral("lblVersion"))->setText(versionText());
    findChild<QLabel *>(QStringLiteral("lblProductName"))->setText(QApplication::applicationName());
    placeControls(this, kLayout);
    stretchPicture(this, "imgLogo", u"logo");
    stretchPicture(this, "Image1", u"probe_head");

    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setSingleShot(true);
    m_timer.setInterval(kTimerInterval);
    connect(&m_timer, &QTimer::timeout, this, &SplashWindow::openSelectionWindow);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

QString SplashWindow::versionText()
{
    return QStringLiteral("Version %1.%2.%3")
        .arg(MERIVOX_VERSION_MAJOR)
        .arg(MERIVOX_VERSION_MINOR)
        .arg(MERIVOX_VERSION_PATCH);
}

void SplashWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        m_timer.start();
        activateWindow();
        setFocus();
    }
}

void SplashWindow::closeEvent(QCloseEvent *event)
{
    m_timer.stop(); // the timer goes with the window: no selection window follows
    QWidget::closeEvent(event);
}

void SplashWindow::keyPressEvent(QKeyEvent *event)
{
    // Escape, Enter and Backspace produce control characters; Shift, the arrows and the
    // function keys produce none, and neither does Delete, which some platforms report as DEL.
    const QString text = event->text();
    const bool producesCharacter = (!text.isEmpty() && text != QLatin1String("\x7f")) ||
                                   event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
                                   event->key() == Qt::Key_Enter || event->key() == Qt::Key_Backspace;
    if (producesCharacter) {
        close();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void SplashWindow::openSelectionWindow()
{
    m_timer.stop();
    // The selection window is shown before this one closes, so that the program never finds
    // itself without a window in between.
    auto *selection = new SelectionWindow(m_state);
    selection->show();
    close();
}

} // namespace merivox
