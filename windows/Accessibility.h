#pragma once

#include "TipKinds.h"

class QLabel;
class QString;
class QWidget;

namespace merivox {

// What a screen reader announces. Every control that can take the focus carries a German name;
// a drop-down list carries it on its own parts too (its text field and its open list), which
// the reader visits on their own.

// The caption beside a control names it: the label becomes the control's buddy, and its text
// the control's name.
void nameByLabel(QWidget *control, QLabel *label);

// A control with no caption beside it.
void nameControl(QWidget *control, const QString &name);

// A dimension drawing: what it shows, in words.
void describeDrawing(QLabel *picture, TipKind kind);

} // namespace merivox
