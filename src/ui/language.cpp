#include "ui/language.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

#include "qcustomplot.h"
#include "ui/about_box.h"
#include "ui/help_commands.h"
#include "ui/main_window.h"
#include "ui/phone_dialog.h"
#include "ui/plot_page.h"
#include "ui/text_pane.h"

namespace quill {

namespace {

constexpr Caption kClear{"清空Clear", "Clear"};
constexpr Caption kLoad{"装入Load", "Load"};
constexpr Caption kSave{"保存Save", "Save"};

// What each pane holds, for screen readers; the label above it names it.
constexpr Caption kAnPane{"系数，每行一个，a(0)在前 Coefficients, one per line, a(0) first",
                          "Coefficients, one per line, a(0) first"};
constexpr Caption kXPane{"x值，每行一个 x values, one per line", "x values, one per line"};
constexpr Caption kFxPane{"结果报告 Result report", "Result report"};

}  // namespace

void DescribePanes(TFrmMain& w, bool english) {
    const struct {
        TextPane* pane;
        Caption description;
    } panes[] = {{w.MemoAN, kAnPane}, {w.MemoX, kXPane}, {w.MemoFx, kFxPane}};
    for (const auto& p : panes) p.pane->setAccessibleDescription(p.description.Text(english));
}

void ApplyCaptions(TFrmMain& w, bool english) {
    const struct {
        QAbstractButton* button;
        Caption caption;
    } buttons[] = {
        {w.BtnClearAn, kClear},
        {w.BtnLoadAn, kLoad},
        {w.BtnSaveAn, kSave},
        {w.BtnClearX, kClear},
        {w.BtnLoadX, kLoad},
        {w.BtnSaveX, kSave},
        {w.BtnClearFx, kClear},
        {w.BtnLoadFx, kLoad},
        {w.BtnSaveFx, kSave},
        {w.ChkAutoClear, {"显示前清空Auto Clear", "Auto Clear"}},
        {w.BtnSolve, {"计算 Solve", "Solve"}},
        {w.BtnSampleData, {"例子数据 SampleData", "SampleData"}},
    };
    for (const auto& b : buttons) b.button->setText(b.caption.Text(english));

    const struct {
        QMenu* menu;
        Caption caption;
    } menus[] = {
        {w.MnuFile, {"文件&File", "&File"}},
        {w.MnuSet, {"设置&Set", "&Set"}},
        {w.MnuHelp, {"帮助&Help", "&Help"}},
    };
    for (const auto& m : menus) m.menu->setTitle(m.caption.Text(english));

    const struct {
        QAction* action;
        Caption caption;
    } entries[] = {
        {w.MnuExit, {"退出本软件&Exit", "&Exit"}},
        {w.MnuChinese, {"中文界面&Chinese", "&Chinese"}},
        {w.MnuEnglish, {"英文界面&English", "&English"}},
        {w.MnuContent, {"帮助主题&Content", "&Content"}},
        {w.MnuWeb, {"访问本软件网站&Web", "&Web"}},
        {w.MnuPhone, {"手机访问本软件网站&Phone", "&Phone"}},
        {w.MnuAbout, {"关于本软件&About", "&About"}},
    };
    for (const auto& e : entries) e.action->setText(e.caption.Text(english));

    DescribePanes(w, english);
    w.PageControl1->setTabText(w.PageControl1->indexOf(w.TabSheet1),
                               Caption{"多项式求解器Quill Solve", "Quill Solve"}.Text(english));
    w.PageControl1->setTabText(w.PageControl1->indexOf(w.TabSheet2), PlotPage::TabCaption(english));
    // The file dialogs' entries: a display name, then its pattern.
    const QString filter = Caption{"文本数据文件(*.txt)|*.txt|所有文件(*.*)|*.*",
                                   "Text data files(*.txt)|*.txt|All files(*.*)|*.*"}.Text(english);
    w.OpenDlg.Filter = filter;
    w.SaveDlg.Filter = filter;
    w.TabSheet2->setEnglish(english);
    w.TabSheet2->Plot()->setAccessibleName(PlotPage::TabCaption(english));
    w.StatusPanel0->setText(captions::kReady.Text(english));
}

void ApplyCaptions(TAboutBox& about, bool english) {
    about.setWindowTitle(Caption{"关于本软件About", "About"}.Text(english));
    const struct {
        QLabel* label;
        Caption caption;
    } labels[] = {
        {about.ProductName, {"Quillometer多项式求值器2023", "Quillometer2023"}},
        {about.Version, {"版本号Version：2023", "Version: 2023"}},
        {about.NoticePurpose, {"多项式批量求值 Polynomial evaluator", "Polynomial evaluator"}},
        {about.NoticeLicence,
         {"以 MIT 许可证发布，不提供任何担保。Released under the MIT License, without warranty.",
          "Released under the MIT License, without warranty."}},
    };
    for (const auto& l : labels) l.label->setText(l.caption.Text(english));
    about.NoticeBuild->setText(Caption{"构建版本 Build %1", "Build %1"}.Text(english).arg(BuildVersion()));
    about.NoticeWeb->setText(Caption{"网站 Web: ", "Web: "}.Text(english) + WrappableAddress(WebAddress()));
    about.OKButton->setText(Caption{"关闭&OK", "&OK"}.Text(english));
}

void ApplyCaptions(TFrmVisitePhone& phone, bool english) {
    phone.setWindowTitle(
        Caption{"手机二维码访问本软件网站Visite with 2-Dims Code", "Visite with 2-Dims Code"}.Text(english));
    phone.BtnClose->setText(Caption{"关闭&Close", "&Close"}.Text(english));
}

}  // namespace quill
