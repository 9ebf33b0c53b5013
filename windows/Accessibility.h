#pragma once

class QWidget;

namespace merivox {

// What a screen reader announces: each input label is linked to its input as its buddy, and
// every control that can take the focus carries a German name; a list's own parts (the text
// field and the open list of a drop-down list) carry it as well. The dimension drawings carry
// a description of what they show.
void describeSelectionWindow(QWidget *window);
void describeEditorWindow(QWidget *window);

} // namespace merivox
