#include "ui/shared/help_commands.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "common/exe_path.h"
#include "ui/shared/build_info.h"
#include "ui/shared/language.h"

namespace quill {

QString webAddress() { return QString::fromUtf8(kWebAddress); }
QString buildVersion() { return QString::fromUtf8(kBuildVersion); }

QString helpMissingText(const QString& helpFilePath, bool english) {
    const QString inEnglish = captions::kHelpMissing.text(true) + helpFilePath;
    if (english) return inEnglish;
    return QString::fromUtf8(captions::kHelpMissing.bilingual) + helpFilePath + QStringLiteral("\r\n") + inEnglish;
}

QString helpDirectory() {
    QString directory = QFile::decodeName(QByteArray::fromStdString(executableDirectory()));
    if (directory.isEmpty()) {
        // No /proc: Qt's own idea of the program's folder.
        directory = QCoreApplication::applicationDirPath();
        if (!directory.endsWith(QLatin1Char('/'))) directory += QLatin1Char('/');
    }
    return directory;
}

HelpPlatform HelpPlatform::system() {
    HelpPlatform platform;
    platform.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    platform.showExclamation = [](QWidget* owner, const QString& text, const QString& caption) {
        // A label takes CR as a glyph of its own; the line break is the LF.
        QString shown = text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QMessageBox box(QMessageBox::Warning, caption, shown, QMessageBox::Ok, owner);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    };
    return platform;
}

static bool isExistingFile(const QString& path) { return QFileInfo(path).isFile(); }

HelpShown showHelpContent(QWidget* owner, const QString& directory, const HelpPlatform& platform, bool english) {
    const QString chmPath = directory + QString::fromUtf8(kHelpFileName);
    if (isExistingFile(chmPath)) {
        platform.openUrl(QUrl::fromLocalFile(chmPath));
        return HelpShown::chm;
    }
    const QString pagePath = directory + QString::fromUtf8(kHelpPageName);
    if (isExistingFile(pagePath)) {
        platform.openUrl(QUrl::fromLocalFile(pagePath));
        return HelpShown::html;
    }
    platform.showExclamation(owner, helpMissingText(chmPath, english), captions::kHelpHint.text(english));
    return HelpShown::missing;
}

void openWebPage(const HelpPlatform& platform) { platform.openUrl(QUrl(webAddress())); }

}  // namespace quill
