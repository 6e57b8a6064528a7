#pragma once
// The About dialog: program icon, name, version and four lines of notice.

#include <QDialog>

class QLabel;
class QPushButton;

namespace quill {

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

    static constexpr int kClientWidth = 298;
    static constexpr int kClientHeight = 263;

    QWidget* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* NoticePurpose = nullptr;  // what the program does
    QLabel* NoticeBuild = nullptr;    // the version of this build
    QLabel* NoticeLicence = nullptr;  // MIT
    QLabel* NoticeWeb = nullptr;      // the web address
    QPushButton* OKButton = nullptr;

public slots:
    // The close box and Escape give Cancel (2); only OK gives 1.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool placed_ = false;
};

// The address with invisible break chances after '/', '.' and '-', so a long
// one wraps inside its label instead of running out of it.
QString WrappableAddress(const QString& address);

}  // namespace quill
