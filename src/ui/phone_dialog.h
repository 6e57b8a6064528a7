#pragma once
// The phone dialog: the product web page as a two-dimensional code to scan.

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

    QLabel* Img2DimsCode = nullptr;
    QPushButton* BtnClose = nullptr;

public slots:
    // Every way out but the About box's OK gives Cancel (2): the button, the
    // close box and Escape alike.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void BtnCloseClick();

private:
    QString codeText_;
    bool placed_ = false;
};

}  // namespace quill
