#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cmath>

namespace merivox::test {

// A layout figure in twips as a logical pixel at 96 dpi.
inline int px(int twips)
{
    return int(std::lround(twips / 15.0));
}

// One message box as the operator saw it.
struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    bool ok = false; // the single button is OK
    bool modal = false;
};

// Answers every modal message box that opens while it lives: records it and presses OK,
// as the operator would. Arm it before the action that opens the boxes.
class BoxAnswerer
{
public:
    BoxAnswerer()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { answer(); });
        m_timer.start();
    }

    const QList<SeenBox> &boxes() const { return m_boxes; }

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            return;
        }
        SeenBox seen;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttonCount = int(box->buttons().size());
        seen.ok = box->standardButtons() == QMessageBox::Ok;
        seen.modal = box->isModal();
        m_boxes.append(seen);
        if (QAbstractButton *ok = box->button(QMessageBox::Ok)) {
            ok->click();
        } else {
            box->reject();
        }
    }

    QTimer m_timer;
    QList<SeenBox> m_boxes;
};

inline QList<QWidget *> visibleTopLevels()
{
    QList<QWidget *> open;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()) {
            open.append(widget);
        }
    }
    return open;
}

// The top-level window with this objectName that is still open, or null.
template <typename Window = QWidget> Window *openWindow(const QString &name)
{
    for (QWidget *widget : visibleTopLevels()) {
        if (widget->objectName() == name) {
            return qobject_cast<Window *>(widget);
        }
    }
    return nullptr;
}

// Lets windows closed with WA_DeleteOnClose go, then reports the names of those still open.
inline QStringList windowsLeftOpen()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QStringList names;
    for (QWidget *widget : visibleTopLevels()) {
        names.append(widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                    : widget->objectName());
    }
    return names;
}

// Closes and frees whatever a failed test left behind, so that the next one starts clean.
inline void closeAllWindows()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()) {
            widget->close();
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

template <typename Widget = QWidget> Widget *child(const QWidget *window, const char *name)
{
    return window->findChild<Widget *>(QString::fromLatin1(name));
}

} // namespace merivox::test
