// The main window's Set and Help menus: the language choice, its settings
// file, the help document and the web page.

#include <QAction>
#include <QFile>
#include <QUrl>
#include <cstdio>

#include "common/error.h"
#include "common/exe_path.h"
#include "ui/application.h"
#include "ui/help_commands.h"
#include "ui/main_window.h"

namespace quill {

std::string TFrmMain::settingsProgram(const Application& app) {
    if (!app.SettingsProgramPath().isEmpty()) return QFile::encodeName(app.SettingsProgramPath()).toStdString();
    return ExecutablePath();
}

// ---- Set --------------------------------------------------------------------

void TFrmMain::markLanguageChoice() {
    chineseEntry_->setChecked(settings_.bChinese);
    englishEntry_->setChecked(!settings_.bChinese);
}

void TFrmMain::setLanguage(bool english) {
    settings_.bChinese = !english;
    applyLanguage(english);
}

void TFrmMain::saveSettingsAtExit() {
    try {
        settings_.SaveSettings();
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

void TFrmMain::showHelp() {
    HelpPlatform platform;
    platform.openUrl = openUrl_ ? openUrl_ : HelpPlatform::System().openUrl;
    platform.showExclamation = [this](QWidget*, const QString& text, const QString& caption) {
        app_.AppMessageBox(text, caption, QMessageBox::Warning);
    };
    ShowHelpContent(this, app_.ExecutableDirectory(), platform, english_);
}

void TFrmMain::showWebPage() {
    HelpPlatform platform;
    platform.openUrl = openUrl_ ? openUrl_ : HelpPlatform::System().openUrl;
    OpenWebPage(platform);
}

}  // namespace quill
