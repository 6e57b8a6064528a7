#pragma once
// The Help menu's two commands that leave the program: the help document and
// the product web page. Both go through the desktop's URL handler; the
// handler and the message box can be replaced, so tests watch them instead.

#include <QString>
#include <functional>

class QUrl;
class QWidget;

namespace quill {

// The web page, fixed when the build is configured.
QString webAddress();
// The version of this build, e.g. "2023.1.0".
QString buildVersion();

// Looked for beside the executable, in this order. The .chm is the user's
// own (the program does not ship one); the HTML page comes with the program.
inline constexpr char kHelpFileName[] = "Quillometer.chm";
inline constexpr char kHelpPageName[] = "Quillometer.html";

// The Chinese sentence and the path, CR LF, the English sentence and the
// path: the path stands right after each sentence, with no space. In
// English only the second line.
QString helpMissingText(const QString& helpFilePath, bool english = false);

// The folder of the running program with its trailing '/'.
QString helpDirectory();

struct HelpPlatform {
    // Hands a file or web address to the desktop; the result is ignored,
    // since a missing viewer or browser is not the program's concern.
    std::function<bool(const QUrl&)> openUrl;
    // A box with the exclamation icon and one OK button.
    std::function<void(QWidget* owner, const QString& text, const QString& caption)> showExclamation;

    // QDesktopServices::openUrl and a QMessageBox.
    static HelpPlatform system();
};

enum class HelpShown { chm, html, missing };

// Help > Content: opens Quillometer.chm from directory (a trailing separator
// included) when it exists, else Quillometer.html; when neither exists, shows
// helpMissingText with the .chm path under the hint caption, in the
// language asked for, and does nothing else.
HelpShown showHelpContent(QWidget* owner, const QString& directory, const HelpPlatform& platform, bool english = false);

// Help > Web: hands webAddress() to the desktop.
void openWebPage(const HelpPlatform& platform);

}  // namespace quill
