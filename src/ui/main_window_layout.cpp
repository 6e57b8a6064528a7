// The main window's controls, menu, status bar, tab order and wiring.
// Positions and sizes are pixels at 96 dpi; Qt scales the whole window on
// screens with more.

#include <QAction>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>

#include "numtext/decimal_mark.h"
#include "ui/accessibility.h"
#include "ui/application.h"
#include "ui/dialog_support.h"
#include "ui/main_window.h"
#include "ui/pane_drop.h"
#include "ui/program_icon.h"
#include "ui/range_dialog.h"
#include "ui/text_pane.h"

namespace quill {

namespace {

constexpr int kFontPixels = 15;

template <class Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

QPushButton* MakeButton(QWidget* page, const char* name, const char* caption, int left, int top, int width) {
    return Place(new QPushButton(QString::fromUtf8(caption), page), name, left, top, width, 25);
}

// A label keeps its place; it grows only where the installed font needs more
// room than the design's, so no caption is ever cut.
QLabel* MakeLabel(QWidget* page, const char* name, const char* caption, int left, int top, int width) {
    auto* label = new QLabel(QString::fromUtf8(caption), page);
    const QSize needed = label->sizeHint();
    return Place(label, name, left, top, std::max(width, needed.width()), std::max(15, needed.height()));
}

TextPane* MakePane(QWidget* page, const char* name, const char* firstLine, int left, int width) {
    auto* pane = Place(new TextPane(page), name, left, 64, width, 201);
    pane->Lines().add(firstLine);
    return pane;
}

}  // namespace

TFrmMain::TFrmMain(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      settings_(SettingsProgram()) {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QString::fromUtf8(kApplicationTitle));
    setWindowIcon(ProgramIcon());
    setFont(DialogFont(kFontPixels));

    BuildControls();
    BuildPlotPage();
    BuildMenu();
    BuildStatusBar();
    SetTabOrder();
    ConnectCommands();

    // A fixed frame: the window is exactly menu bar + client area and cannot
    // be resized or maximised.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    decimalMark_ = ReadLocaleDecimalMark();
    UpdateNotice();
    MakeAccessible(*this);
}

TFrmMain::~TFrmMain() {
    RunGuarded(this, [this] { FormDestroy(); });
    RunGuarded(this, [this] { SaveSettingsAtExit(); });
}

void TFrmMain::BuildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    client->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
    setCentralWidget(client);

    PageControl1 = Place(new QTabWidget(client), "PageControl1", 0, 0, 801, 441);
    TabSheet1 = new QWidget();
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("多项式求解器Quill Solve"));
    // The tabs are no stop on the way through the controls; Ctrl+Tab turns
    // the page.
    PageControl1->setFocusPolicy(Qt::NoFocus);
    PageControl1->tabBar()->setFocusPolicy(Qt::NoFocus);

    QWidget* page = TabSheet1;
    Label1 = MakeLabel(page, "Label1", "Question:a(n)*x^n+...a(1)*x+a(0)=F(x)", 8, 8, 296);
    Label2 = MakeLabel(page, "Label2", "a(0)~a(n)", 8, 40, 72);
    Label3 = MakeLabel(page, "Label3", "X", 256, 40, 8);
    Label4 = MakeLabel(page, "Label4", "F(x)", 496, 40, 32);

    MemoAN = MakePane(page, "MemoAN", "MemoAN", 8, 233);
    MemoX = MakePane(page, "MemoX", "MemoX", 256, 233);
    MemoFx = MakePane(page, "MemoFx", "就绪Ready", 496, 289);

    BtnClearAn = MakeButton(page, "BtnClearAn", "清空Clear", 8, 272, 75);
    BtnLoadAn = MakeButton(page, "BtnLoadAn", "装入Load", 88, 272, 75);
    BtnSaveAn = MakeButton(page, "BtnSaveAn", "保存Save", 168, 272, 75);
    BtnClearX = MakeButton(page, "BtnClearX", "清空Clear", 256, 272, 75);
    BtnLoadX = MakeButton(page, "BtnLoadX", "装入Load", 336, 272, 75);
    BtnSaveX = MakeButton(page, "BtnSaveX", "保存Save", 416, 272, 75);
    BtnClearFx = MakeButton(page, "BtnClearFx", "清空Clear", 544, 304, 75);
    BtnLoadFx = MakeButton(page, "BtnLoadFx", "装入Load", 632, 304, 75);
    BtnSaveFx = MakeButton(page, "BtnSaveFx", "保存Save", 712, 304, 75);

    ChkAutoClear = Place(new QCheckBox(QStringLiteral("显示前清空Auto Clear"), page), "ChkAutoClear", 496, 272, 289, 17);
    ChkAutoClear->setChecked(true);

    BtnSolve = MakeButton(page, "BtnSolve", "计算 Solve", 256, 304, 233);
    BtnSampleData = MakeButton(page, "BtnSampleData", "例子数据 SampleData", 8, 304, 241);
}

void TFrmMain::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    const auto menu = [this, bar](const char* name, const char* caption) {
        QMenu* m = bar->addMenu(QString::fromUtf8(caption));
        m->setObjectName(QString::fromLatin1(name));
        m->setFont(font());
        return m;
    };
    const auto entry = [](QMenu* m, const char* name, const char* caption) {
        QAction* a = m->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    MnuFile = menu("MnuFile", "文件&File");
    MnuExit = entry(MnuFile, "MnuExit", "退出本软件&Exit");

    MnuSet = menu("MnuSet", "设置&Set");
    MnuChinese = entry(MnuSet, "MnuChinese", "中文界面&Chinese");
    MnuEnglish = entry(MnuSet, "MnuEnglish", "英文界面&English");
    MnuChinese->setCheckable(true);
    MnuEnglish->setCheckable(true);

    MnuHelp = menu("MnuHelp", "帮助&Help");
    MnuContent = entry(MnuHelp, "MnuContent", "帮助主题&Content");
    MnuWeb = entry(MnuHelp, "MnuWeb", "访问本软件网站&Web");
    MnuPhone = entry(MnuHelp, "MnuPhone", "手机访问本软件网站&Phone");
    MnuHelp->addSeparator();
    MnuAbout = entry(MnuHelp, "MnuAbout", "关于本软件&About");
}

void TFrmMain::BuildStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedHeight(kStatusBarHeight);
    setStatusBar(StatusBar1);

    StatusPanel0 = new QLabel(QStringLiteral("就绪"), StatusBar1);
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel0->setFixedWidth(150);
    StatusPanel1 = new QLabel(StatusBar1);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    for (QLabel* panel : {StatusPanel0, StatusPanel1}) panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusBar1->addWidget(StatusPanel0);
    StatusBar1->addWidget(StatusPanel1, 1);
}

void TFrmMain::SetTabOrder() {
    // The three panes first, then the buttons and the check box as they
    // stand under them, Solve and the sample data last.
    QWidget* const order[] = {MemoAN,     MemoX,     MemoFx,     BtnClearAn, BtnLoadAn,    BtnSaveAn,
                              BtnClearX,  BtnLoadX,  BtnSaveX,   BtnClearFx, BtnLoadFx,    BtnSaveFx,
                              ChkAutoClear, BtnSolve, BtnSampleData};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    MemoAN->setFocus();
}

void TFrmMain::ConnectCommands() {
    const auto click = [this](QPushButton* button, void (TFrmMain::*handler)()) {
        ConnectCommand(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    click(BtnClearAn, &TFrmMain::BtnClearAnClick);
    click(BtnLoadAn, &TFrmMain::BtnLoadAnClick);
    click(BtnSaveAn, &TFrmMain::BtnSaveAnClick);
    click(BtnClearX, &TFrmMain::BtnClearXClick);
    click(BtnLoadX, &TFrmMain::BtnLoadXClick);
    click(BtnSaveX, &TFrmMain::BtnSaveXClick);
    click(BtnClearFx, &TFrmMain::BtnClearFxClick);
    click(BtnLoadFx, &TFrmMain::BtnLoadFxClick);
    click(BtnSaveFx, &TFrmMain::BtnSaveFxClick);
    click(BtnSolve, &TFrmMain::BtnSolveClick);
    click(BtnSampleData, &TFrmMain::BtnSampleDataClick);
    // A file dropped on a pane loads as its Load button would.
    for (TextPane* pane : {MemoAN, MemoX, MemoFx}) AcceptFileDrops(*pane, this);
    AcceptRangeFill(*MemoX, this, [this] { return RangeFillStyle{english_, decimalMark_}; });

    const auto pick = [this](QAction* action, void (TFrmMain::*handler)()) {
        ConnectCommand(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    pick(MnuExit, &TFrmMain::MnuExitClick);
    pick(MnuChinese, &TFrmMain::MnuChineseClick);
    pick(MnuEnglish, &TFrmMain::MnuEnglishClick);
    pick(MnuContent, &TFrmMain::MnuContentClick);
    pick(MnuWeb, &TFrmMain::MnuWebClick);
    pick(MnuPhone, &TFrmMain::MnuPhoneClick);
    pick(MnuAbout, &TFrmMain::MnuAboutClick);
    ConnectCommand(MnuSet, &QMenu::aboutToShow, this, [this] { MnuSetClick(); });

    // Ctrl+Enter solves from anywhere in the window, the panes included.
    for (QKeyCombination keys : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(keys), this);
        shortcut->setObjectName(QStringLiteral("SolveShortcut"));
        connect(shortcut, &QShortcut::activated, BtnSolve, &QPushButton::click);
    }
}

}  // namespace quill
