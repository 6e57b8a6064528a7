#pragma once
// What screen readers get from the panes. Each pane is named by a label,
// which becomes its buddy; its description comes with the window's captions.
// A pane is read as editable text through an accessible interface of its
// own, line by line and character by character, with its caret followed;
// edits made through it (insert, delete, replace, the whole text) are steps
// of the pane's undo history, and its open context menu is its child.
// Buttons, check boxes and menu entries need nothing here: they speak their
// captions (Qt drops the '&').

class QLabel;

namespace quill {

class TextPane;

// Names the pane by its label and tells screen readers of its caret and
// text changes. Call it before the pane gets a description, or it keeps
// Qt's own interface.
void makeAccessible(TextPane& pane, QLabel& label);

}  // namespace quill
