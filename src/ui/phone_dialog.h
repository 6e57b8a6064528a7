#pragma once
// The phone dialog: the product web page as a two-dimensional code to scan
// (the label Img2DimsCode) and a button to close it (BtnClose).

#include <QDialog>

class QLabel;
class QPushButton;

namespace quill {

class TFrmVisitePhone : public QDialog {
    Q_OBJECT

public:
    explicit TFrmVisitePhone(QWidget* parent = nullptr);

    static constexpr int kClientWidth = 211;
    static constexpr int kClientHeight = 247;
    static constexpr int kCodeSide = 210;

    // The address the code stands for.
    QString codeText() const { return codeText_; }

    // Captions bilingual (the default) or English only.
    void setLanguage(bool english);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPushButton* closeButton_ = nullptr;
    QString codeText_;
    bool placed_ = false;
};

}  // namespace quill
