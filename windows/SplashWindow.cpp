#include "SplashWindow.h"

#include "Controls.h"
#include "Pictures.h"
#include "Twips.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

namespace merivox {

namespace {

// The client area in twips.
constexpr TwipRect kClientArea{0, 0, 7380, 4380};

constexpr int kTimerInterval = 5000;

// A picture stretched to the size of its box, once the box is placed.
void stretchPicture(QLabel *label, QStringView picture)
{
    label->setPixmap(renderPicture(picture, label->size(), label->devicePixelRatioF()));
}

} // namespace

SplashWindow::SplashWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(toPixels(kClientArea).size());
    setFocusPolicy(Qt::StrongFocus);

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);

    QLabel *logo = addLabel(frame, "imgLogo", QString(), QFont(), Qt::AlignLeft, false);
    QLabel *productName =
        addLabel(frame, "lblProductName", QStringLiteral("Produkt"), arial(16.5, true), Qt::AlignLeft, false);
    QLabel *version = addLabel(frame, "lblVersion", QStringLiteral("Version"), arial(12, true), Qt::AlignLeft, false);
    QLabel *developedBy = addLabel(frame, "e", QStringLiteral("Entwickelt von"), arial(8.25), Qt::AlignLeft, false);
    QLabel *company = addLabel(frame, "lblCompany", QStringLiteral("Quentar GmbH"), arial(8.25), Qt::AlignLeft, false);
    QLabel *author = addLabel(frame, "Label1", QStringLiteral("Merivox-Team"), arial(7.5), Qt::AlignLeft, false);
    QLabel *probeHead = addLabel(frame, "Image1", QString(), QFont(), Qt::AlignLeft, false);

    // Load: the two labels take the version and the application's title.
    version->setText(versionText());
    productName->setText(QApplication::applicationName());

    // Every control in twips; the controls inside Frame1 are placed relative to the frame.
    placeControls({
        {frame, {150, 120, 7080, 4176}},       // Frame1
        {logo, {0, 120, 7092, 1068}},          // imgLogo
        {productName, {360, 1800}},            // lblProductName
        {version, {360, 2520}},                // lblVersion
        {developedBy, {360, 3000, 2412, 252}}, // e
        {company, {360, 3276, 2412, 252}},     // lblCompany
        {author, {360, 3600, 1932, 252}},      // Label1
        {probeHead, {4200, 1320, 2280, 2772}}, // Image1
    });
    stretchPicture(logo, u"logo");
    stretchPicture(probeHead, u"probe_head");

    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setSingleShot(true);
    m_timer.setInterval(kTimerInterval);
    connect(&m_timer, &QTimer::timeout, this, &SplashWindow::onTimer);

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

void SplashWindow::onTimer()
{
    m_timer.stop();
    // Whatever the time leads on to is shown before this window closes, so that the program
    // never finds itself without a window in between.
    emit timeIsUp();
    close();
}

} // namespace merivox
