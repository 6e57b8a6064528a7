#pragma once
// The phone dialog: the product web page as a two-dimensional code to scan
// (the label Img2DimsCode) and a button to close it (BtnClose).

#include <QDialog>

class QLabel;
class QPushButton;

namespace quill {

class PhoneDialog : public QDialog {
    Q_OBJECT

public:
    explicit PhoneDialog(QWidget* parent = nullptr);

    static constexpr int kClientWidth = 211;
    static constexpr int kClientHeight = 247;
    static constexpr int kCodeSide = 210;

    // Captions bilingual (the default) or English only.
    void setLanguage(bool english);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPushButton* closeButton_ = nullptr;
    bool placed_ = false;
};

}  // namespace quill
