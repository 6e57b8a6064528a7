// The main window's Set and Help menus: the language choice, its settings
// file, the help document and the web page.

#include <QAction>
#include <QFile>
#include <QUrl>
#include <cstdio>

#include "common/error.h"
#include "common/exe_path.h"
#include "ui/application/application.h"
#include "ui/main_window/main_window.h"
#include "ui/shared/help_commands.h"

namespace quill {

std::string MainWindow::settingsProgram(const Application& app) {
    if (!app.settingsProgramPath().isEmpty()) return QFile::encodeName(app.settingsProgramPath()).toStdString();
    return executablePath();
}

// ---- Set --------------------------------------------------------------------

void MainWindow::markLanguageChoice() {
    chineseEntry_->setChecked(settings_.chinese());
    englishEntry_->setChecked(!settings_.chinese());
}

void MainWindow::setLanguage(bool english) {
    settings_.setChinese(!english);
    applyLanguage(english);
}

void MainWindow::saveSettingsAtExit() {
    try {
        settings_.save();
    } catch (const Error& e) {
        // The box may never be seen (no display left, or the session is
        // ending), so the message goes to standard error as well.
        const std::string line = "quillometer: " + e.message() + "\n";
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
        throw;
    }
}

// ---- Help -------------------------------------------------------------------

void MainWindow::showHelp() {
    HelpPlatform platform;
    platform.openUrl = openUrl_ ? openUrl_ : HelpPlatform::system().openUrl;
    platform.showExclamation = [this](QWidget*, const QString& text, const QString& caption) {
        app_.messageBox(text, caption, QMessageBox::Warning);
    };
    showHelpContent(this, app_.executableDirectory(), platform, english_);
}

void MainWindow::showWebPage() {
    HelpPlatform platform;
    platform.openUrl = openUrl_ ? openUrl_ : HelpPlatform::system().openUrl;
    openWebPage(platform);
}

}  // namespace quill
