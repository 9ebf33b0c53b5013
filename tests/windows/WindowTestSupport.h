#pragma once

#include "TipKinds.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <optional>

namespace merivox::test {

// tip_type as its code: "1" to "6", or empty before the editor first opens.
inline QString tipTypeText(std::optional<TipKind> kind)
{
    return kind ? QString::number(int(*kind)) : QString();
}

// A layout figure in twips as logical pixels at 96 dpi.
inline int px(int twips)
{
    return int(std::lround(twips / 15.0));
}

template <typename Widget = QWidget> Widget *child(const QWidget *window, const char *name)
{
    return window->findChild<Widget *>(QString::fromLatin1(name));
}

// The open top-level window with this objectName, or null.
template <typename Window = QWidget> Window *openWindow(const char *name)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->objectName() == QLatin1String(name)) {
            return qobject_cast<Window *>(widget);
        }
    }
    return nullptr;
}

// The controls that the Tab key visits, by name, starting at the one that has the focus:
// the window's focus chain less what is hidden, disabled or takes no focus from Tab.
inline QStringList tabOrder(QWidget *window)
{
    QStringList names;
    QWidget *start = window->focusWidget();
    for (QWidget *w = start; w && (names.isEmpty() || w != start); w = w->nextInFocusChain()) {
        if (w->isWindow() && w != window) {
            continue;
        }
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window) && w->isEnabled() && w != window &&
            !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"))) {
            names.append(w->objectName());
        }
    }
    return names;
}

struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon;
    bool onlyOk;         // a single button, OK
    QStringList buttons; // their texts, sorted, each marked " (default)", " (Esc)" or " (default, Esc)"
};

// While it lives, answers every modal message box as the operator would: notes it and presses OK,
// or, where the box offers it, the button named answer; answer "Esc" presses that key.
class BoxAnswerer
{
public:
    explicit BoxAnswerer(const QString &answer = {})
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, answer] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) {
                return;
            }
            QStringList buttons;
            QAbstractButton *chosen = box->button(QMessageBox::Ok);
            for (QAbstractButton *button : box->buttons()) {
                const bool isDefault = button == box->defaultButton(), isEsc = button == box->escapeButton();
                buttons << button->text() + QLatin1String(isDefault && isEsc ? " (default, Esc)"
                                                          : isDefault        ? " (default)"
                                                          : isEsc            ? " (Esc)"
                                                                             : "");
                chosen = button->text() == answer ? button : chosen;
            }
            buttons.sort();
            m_boxes.append({box->windowTitle(), box->text(), box->icon(),
                            box->buttons().size() == 1 && box->button(QMessageBox::Ok), buttons});
            if (answer == QLatin1String("Esc")) {
                QTest::keyClick(box, Qt::Key_Escape);
            } else {
                chosen ? chosen->click() : box->reject();
            }
        });
        m_timer.start(10);
    }
    const QList<SeenBox> &boxes() const { return m_boxes; }

private:
    QTimer m_timer;
    QList<SeenBox> m_boxes;
};

// For cleanup(): the names of the windows still open; closes and frees them so the next test starts clean.
inline QStringList closeWindowsLeftOpen()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QStringList names;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()) {
            names.append(widget->objectName());
            widget->close();
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return names;
}

} // namespace merivox::test
