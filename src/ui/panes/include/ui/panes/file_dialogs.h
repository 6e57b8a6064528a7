#pragma once
// The open and save dialogs that the three panes share. Each remembers the
// file name and the filter entry confirmed last for the program's run; a
// cancelled dialog changes neither. Showing the dialog is left to a runner,
// a QFileDialog unless a test puts its own in place to answer without one.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace quill {

// What the runner is asked to show.
struct FileDialogRequest {
    bool save = false;
    QStringList nameFilters;  // Qt's form, "name (patterns)"
    int filterIndex = 0;      // the entry selected at first, from 0
    QString fileName;         // the name to start from
    QString initialDir;
    QString title;          // empty: the toolkit's own title for opening or saving
    QString defaultSuffix;  // without its dot
};

struct FileDialogAnswer {
    bool confirmed = false;
    QString fileName;     // the full path
    int filterIndex = 0;  // the entry selected when the name was confirmed, from 0
};

using FileDialogRunner = std::function<FileDialogAnswer(QWidget* owner, const FileDialogRequest& request)>;

class FileDialog {
public:
    enum class Kind { open, save };
    explicit FileDialog(Kind kind);

    QStringList nameFilters;  // Qt's form, "name (patterns)"; the window puts them in its language
    int filterIndex = 0;      // the entry selected last, from 0
    QString defaultSuffix = QStringLiteral("txt");  // without its dot
    QString fileName;                               // the full path confirmed last
    QString initialDir;
    QString title;

    // Shows the dialog modally over owner. True when a name was confirmed:
    // fileName and filterIndex then hold the choice, and a name confirmed
    // without an extension has defaultSuffix (when opening, only a name that
    // does not exist as it stands). Nothing else is checked about the
    // file: a name that does not exist is for the load to refuse, and saving
    // over a file asks nothing.
    bool execute(QWidget* owner);

    Kind kind() const { return kind_; }
    // Who shows the dialog (none: runQtFileDialog); tests answer without one.
    void setRunner(FileDialogRunner runner) { runner_ = std::move(runner); }

private:
    Kind kind_;
    FileDialogRunner runner_;
};

// The path with the suffix (no dot) added when its file name has none.
QString withDefaultExtension(const QString& path, const QString& suffix);

// Where a dialog goes on a monitor: centred across, its top at one third of
// the room left above and below.
QPoint dialogPlacement(const QRect& monitor, const QSize& dialog);

// Shows a QFileDialog (the toolkit's own, which can be placed and behaves the
// same on every desktop) modally over owner, placed by dialogPlacement on the
// monitor of the active window (or of the owner's).
FileDialogAnswer runQtFileDialog(QWidget* owner, const FileDialogRequest& request);

}  // namespace quill
