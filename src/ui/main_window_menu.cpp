// The main window's Set and Help menus: the language choice, its settings
// file, the help document and the web page.

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QUrl>
#include <cstdio>

#include "common/error.h"
#include "common/exe_path.h"
#include "ui/about_box.h"
#include "ui/application.h"
#include "ui/help_commands.h"
#include "ui/language.h"
#include "ui/main_window.h"
#include "ui/message_presenter.h"
#include "ui/phone_dialog.h"

namespace quill {

std::string TFrmMain::SettingsProgram() {
    const Application* app = Application::current();
    if (app && !app->SettingsProgramPath().isEmpty()) return QFile::encodeName(app->SettingsProgramPath()).toStdString();
    return ExecutablePath();
}

// ---- Set --------------------------------------------------------------------

void TFrmMain::MnuSetClick() {
    MnuChinese->setChecked(settings_.bChinese);
    MnuEnglish->setChecked(!settings_.bChinese);
}

void TFrmMain::MnuChineseClick() {
    settings_.bChinese = true;
    ChangeToChinese();
}

void TFrmMain::MnuEnglishClick() {
    settings_.bChinese = false;
    ChangeToEnglish();
}

void TFrmMain::ApplyLanguage() {
    if (settings_.bChinese)
        ChangeToChinese();
    else
        ChangeToEnglish();
}

namespace {

// The main window and the two dialogs speak the same language.
void ApplyToProgram(TFrmMain& window, bool english) {
    ApplyCaptions(window, english);
    if (Application* app = Application::current()) {
        if (auto* about = app->OwnedWindow<TAboutBox>()) ApplyCaptions(*about, english);
        if (auto* phone = app->OwnedWindow<TFrmVisitePhone>()) ApplyCaptions(*phone, english);
    }
}

}  // namespace

void TFrmMain::ChangeToChinese() {
    english_ = false;
    ApplyToProgram(*this, false);
    UpdateNotice();
}

void TFrmMain::ChangeToEnglish() {
    english_ = true;
    ApplyToProgram(*this, true);
    UpdateNotice();
}

void TFrmMain::SaveSettingsAtExit() {
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

void TFrmMain::MnuContentClick() {
    Application* app = Application::current();
    const QString directory = app ? app->ExecutableDirectory() : HelpDirectory();
    HelpPlatform platform;
    platform.openUrl = openUrl_ ? openUrl_ : HelpPlatform::System().openUrl;
    platform.showExclamation = [this, app, directory](QWidget*, const QString& text, const QString&) {
        const QString shown = english_ ? QString::fromUtf8(captions::kHelpMissingEnglish) + directory +
                                             QString::fromUtf8(kHelpFileName)
                                       : text;
        const QString caption = captions::kHelpHint.Text(english_);
        if (app)
            app->AppMessageBox(shown, caption, kMbIconExclamation);
        else
            HelpPlatform::System().showExclamation(this, shown, caption);
    };
    ShowHelpContent(this, directory, platform);
}

void TFrmMain::MnuWebClick() {
    HelpPlatform platform;
    platform.openUrl = openUrl_ ? openUrl_ : HelpPlatform::System().openUrl;
    OpenWebPage(platform);
}

}  // namespace quill
