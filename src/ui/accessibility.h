#pragma once
// What screen readers get from the main window. Buttons, the check box and
// menu entries speak their captions (Qt drops the '&'); each pane is named by
// the label above it, which becomes its buddy, and is read as editable text
// through an accessible interface of its own, line by line and character by
// character, with its caret followed.

class QAccessibleInterface;
class QObject;
class QString;

namespace quill {

class TFrmMain;

// Buddies, descriptions and the panes' accessible interface.
void MakeAccessible(TFrmMain& window);

// Makes Qt build the panes' accessible interface; safe to call again.
void InstallPaneAccessibility();

}  // namespace quill
