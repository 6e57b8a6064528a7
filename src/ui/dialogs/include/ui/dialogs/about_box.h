#pragma once
// The About dialog: program icon, name, version and four lines of notice.
// Its controls are found by object name (Panel1, ProgramIcon, ProductName,
// Version, NoticePurpose, NoticeBuild, NoticeLicence, NoticeWeb, OKButton).

#include <QDialog>

class QLabel;
class QPushButton;

namespace quill {

class AboutBox : public QDialog {
    Q_OBJECT

public:
    explicit AboutBox(QWidget* parent = nullptr);

    static constexpr int kClientWidth = 298;
    static constexpr int kClientHeight = 263;

    // Captions bilingual (the default) or English only.
    void setLanguage(bool english);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* productName_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* purpose_ = nullptr;  // what the program does
    QLabel* build_ = nullptr;    // the version of this build
    QLabel* licence_ = nullptr;  // MIT
    QLabel* web_ = nullptr;      // the web address
    QPushButton* okButton_ = nullptr;
    bool placed_ = false;
};

// The address with invisible break chances after '/', '.' and '-', so a long
// one wraps inside its label instead of running out of it.
QString wrappableAddress(const QString& address);

}  // namespace quill
