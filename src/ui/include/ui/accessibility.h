#pragma once
// What screen readers get from the main window. Buttons, the check box and
// menu entries speak their captions (Qt drops the '&'); each pane is named by
// the label the control table gives it, which becomes its buddy, and has the
// table's description (set with the captions). A pane is read as editable
// text through an accessible interface of its own, line by line and
// character by character, with its caret followed; edits made through it
// (insert, delete, replace, the whole text) are steps of the pane's undo
// history, and its open context menu is its child.

class QWidget;

namespace quill {

// Buddies and the panes' accessible interface for the main window.
void makeAccessible(QWidget& window);

// Makes Qt build the panes' accessible interface; safe to call again.
void installPaneAccessibility();

}  // namespace quill
