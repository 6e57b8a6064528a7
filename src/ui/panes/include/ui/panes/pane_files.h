#pragma once
// The Load and Save commands of a pane: through the shared file dialogs, or
// straight from a path (the sample files, a file dropped on the pane). A
// long load or save runs on the pane's work (pane_work.h); every failure is
// an error for the command's guard, or the work's, to show.

class QString;
class QWidget;

namespace quill {

class FileDialog;
class TextPane;

// Replaces the pane's text with the file, as one step of its undo history;
// raises "Cannot open file <path>" with the path exactly as given, at once
// also for anything but a regular file, or the message of a NUL byte in it.
// Without inBackground the load ends before this returns, whatever its length.
void loadPaneFile(TextPane& pane, const QString& path, bool inBackground = true);
// Writes the pane's text, as it stands now, to the file; raises "Cannot
// create file <path>" (also for anything but a regular file) or "Failed to
// Save Stream", leaving the old file as it was.
void savePaneFile(TextPane& pane, const QString& path);

// Runs the dialog over owner and loads or saves the name confirmed; a
// cancelled dialog ends the command with nothing changed.
void loadPaneThroughDialog(FileDialog& openDialog, TextPane& pane, QWidget* owner);
void savePaneThroughDialog(FileDialog& saveDialog, TextPane& pane, QWidget* owner);

}  // namespace quill
