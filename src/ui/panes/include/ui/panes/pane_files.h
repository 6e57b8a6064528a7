#pragma once
// The Load and Save commands of a pane: through the shared file dialogs, or
// straight from a path (the sample files, a file dropped on the pane). Every
// failure is an error for the command's guard to show.

class QString;
class QWidget;

namespace quill {

class FileDialog;
class TextPane;

// Replaces the pane's text with the file; raises "Cannot open file <path>"
// with the path exactly as given, at once also for anything but a regular
// file, or the message of a NUL byte in it.
void loadPaneFile(TextPane& pane, const QString& path);
// Writes the pane's text to the file; raises "Cannot create file <path>"
// (also for anything but a regular file) or "Failed to Save Stream", leaving
// the old file as it was.
void savePaneFile(const TextPane& pane, const QString& path);

// Runs the dialog over owner and loads or saves the name confirmed; a
// cancelled dialog ends the command with nothing changed.
void loadPaneThroughDialog(FileDialog& openDialog, TextPane& pane, QWidget* owner);
void savePaneThroughDialog(FileDialog& saveDialog, const TextPane& pane, QWidget* owner);

}  // namespace quill
