// The main window built from its control table: the controls, menu, status
// bar, tab order, captions in either language, and the wiring of commands.
// Positions and sizes are pixels at 96 dpi; Qt scales the whole window on
// screens with more.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

#include "numtext/decimal_mark.h"
#include "ui/about_box.h"
#include "ui/accessibility.h"
#include "ui/background_solve.h"
#include "ui/application.h"
#include "ui/dialog_support.h"
#include "ui/main_window.h"
#include "ui/main_window_controls.h"
#include "ui/pane_drop.h"
#include "ui/phone_dialog.h"
#include "ui/plot_page.h"
#include "ui/program_icon.h"
#include "ui/range_dialog.h"
#include "ui/text_pane.h"

namespace quill {

namespace {

constexpr int kFontPixels = 15;

template <class Widget>
Widget* place(Widget* widget, const ControlSpec& spec) {
    widget->setGeometry(spec.place);
    return widget;
}

// A label keeps its place; it grows only where the installed font needs more
// room than the design's, so no caption is ever cut.
QLabel* makeLabel(QWidget* page, const ControlSpec& spec) {
    auto* label = new QLabel(spec.caption.text(false), page);
    const QSize needed = label->sizeHint();
    label->setGeometry(spec.place.x(), spec.place.y(), std::max(spec.place.width(), needed.width()),
                       std::max(spec.place.height(), needed.height()));
    return label;
}

}  // namespace

MainWindow::MainWindow(Application& app, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      app_(app),
      settings_(settingsProgram(app)) {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QString::fromUtf8(kApplicationTitle));
    setWindowIcon(programIcon());
    setFont(dialogFont(kFontPixels));

    buildControls();
    setTabOrder();
    connectCommands();

    // A fixed frame: the window is exactly menu bar + client area and cannot
    // be resized or maximised.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    decimalMark_ = readLocaleDecimalMark();
    makeAccessible(*this);  // before any description, or the panes get Qt's own interface
    applyLanguage(false);
}

MainWindow::~MainWindow() {
    cancelSolve(false);
    runGuarded(app_, [this] { releaseLists(); });
    runGuarded(app_, [this] { saveSettingsAtExit(); });
}

TextPane& MainWindow::paneFor(PaneRole role) const { return *panes_[static_cast<int>(role)]; }

QObject* MainWindow::control(std::string_view name) const {
    for (const auto& [spec, object] : controls_)
        if (name == spec->name) return object;
    return nullptr;
}

void MainWindow::buildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    client->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
    setCentralWidget(client);
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    auto* statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("StatusBar1"));
    statusBar->setSizeGripEnabled(false);
    statusBar->setFixedHeight(kStatusBarHeight);
    setStatusBar(statusBar);

    for (const ControlSpec& spec : mainWindowControls()) {
        QObject* object = buildControl(spec, client);
        if (!object) continue;
        object->setObjectName(QString::fromLatin1(spec.name));
        controls_.emplace_back(&spec, object);
    }

    panes_[0] = qobject_cast<TextPane*>(control("MemoAN"));
    panes_[1] = qobject_cast<TextPane*>(control("MemoX"));
    panes_[2] = qobject_cast<TextPane*>(control("MemoFx"));
    autoClear_ = qobject_cast<QCheckBox*>(control("ChkAutoClear"));
    solveButton_ = qobject_cast<QPushButton*>(control("BtnSolve"));
    pages_ = qobject_cast<QTabWidget*>(control("PageControl1"));
    chineseEntry_ = qobject_cast<QAction*>(control("MnuChinese"));
    englishEntry_ = qobject_cast<QAction*>(control("MnuEnglish"));
    statePanel_ = qobject_cast<QLabel*>(control("StatusPanel0"));
    noticePanel_ = qobject_cast<QLabel*>(control("StatusPanel1"));
    buildSolveProgress();
}

QObject* MainWindow::buildControl(const ControlSpec& spec, QWidget* client) {
    const QString caption = spec.caption.text(false);
    auto parentWidget = [this, &spec] { return qobject_cast<QWidget*>(control(spec.parent)); };
    auto parentMenu = [this, &spec] { return qobject_cast<QMenu*>(control(spec.parent)); };
    switch (spec.kind) {
        case ControlKind::tabs: {
            auto* tabs = place(new QTabWidget(client), spec);
            // The tabs are no stop on the way through the controls; Ctrl+Tab
            // turns the page.
            tabs->setFocusPolicy(Qt::NoFocus);
            tabs->tabBar()->setFocusPolicy(Qt::NoFocus);
            return tabs;
        }
        case ControlKind::page:
        case ControlKind::plotPage: {
            QWidget* page = nullptr;
            if (spec.kind == ControlKind::plotPage)
                page = plotPage_ = new PlotPage(app_);
            else
                page = new QWidget();
            qobject_cast<QTabWidget*>(control(spec.parent))->addTab(page, caption);
            return page;
        }
        case ControlKind::label:
            return makeLabel(parentWidget(), spec);
        case ControlKind::pane: {
            auto* pane = place(new TextPane(parentWidget()), spec);
            pane->lines().add(spec.caption.bilingual);
            return pane;
        }
        case ControlKind::button:
            return place(new QPushButton(caption, parentWidget()), spec);
        case ControlKind::checkBox: {
            auto* box = place(new QCheckBox(caption, parentWidget()), spec);
            box->setChecked(true);
            return box;
        }
        case ControlKind::menu: {
            QMenu* menu = menuBar()->addMenu(caption);
            menu->setFont(font());
            return menu;
        }
        case ControlKind::menuEntry:
        case ControlKind::menuChoice: {
            QAction* entry = parentMenu()->addAction(caption);
            entry->setCheckable(spec.kind == ControlKind::menuChoice);
            return entry;
        }
        case ControlKind::separator:
            parentMenu()->addSeparator();
            return nullptr;
        case ControlKind::statusPanel: {
            auto* panel = new QLabel(caption, statusBar());
            panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            // A panel without a width of its own takes the rest.
            if (spec.place.width() > 0) panel->setFixedWidth(spec.place.width());
            statusBar()->addWidget(panel, spec.place.width() > 0 ? 0 : 1);
            return panel;
        }
    }
    return nullptr;
}

void MainWindow::setTabOrder() {
    std::vector<std::pair<int, QWidget*>> stops;
    for (const auto& [spec, object] : controls_)
        if (spec->tabStop > 0) stops.emplace_back(spec->tabStop, qobject_cast<QWidget*>(object));
    std::sort(stops.begin(), stops.end());
    for (std::size_t i = 1; i < stops.size(); ++i) QWidget::setTabOrder(stops[i - 1].second, stops[i].second);
    if (!stops.empty()) stops.front().second->setFocus();
}

void MainWindow::applyLanguage(bool english) {
    english_ = english;
    for (const auto& [spec, object] : controls_) {
        const QString caption = spec->caption.text(english);
        switch (spec->kind) {
            case ControlKind::page:
                pages_->setTabText(pages_->indexOf(qobject_cast<QWidget*>(object)), caption);
                break;
            case ControlKind::plotPage:
                pages_->setTabText(pages_->indexOf(plotPage_), caption);
                plotPage_->setEnglish(english);
                // Screen readers call the plot by its page.
                plotPage_->setPlotName(caption);
                break;
            case ControlKind::label:
            case ControlKind::statusPanel:
                if (*spec->caption.bilingual) qobject_cast<QLabel*>(object)->setText(caption);
                break;
            case ControlKind::pane:  // the first line is text, not a caption
                break;
            case ControlKind::button:
            case ControlKind::checkBox:
                qobject_cast<QAbstractButton*>(object)->setText(caption);
                break;
            case ControlKind::menu:
                qobject_cast<QMenu*>(object)->setTitle(caption);
                break;
            case ControlKind::menuEntry:
            case ControlKind::menuChoice:
                qobject_cast<QAction*>(object)->setText(caption);
                break;
            case ControlKind::tabs:
            case ControlKind::separator:
                break;
        }
        if (*spec->description.bilingual)
            qobject_cast<QWidget*>(object)->setAccessibleDescription(spec->description.text(english));
    }
    const QStringList filters{captions::kTextFiles.text(english), captions::kAllFiles.text(english)};
    openDialog_.nameFilters = filters;
    saveDialog_.nameFilters = filters;
    applySolveProgressLanguage();
    // The dialogs speak the same language.
    if (auto* about = app_.ownedWindow<AboutBox>()) about->setLanguage(english);
    if (auto* phone = app_.ownedWindow<PhoneDialog>()) phone->setLanguage(english);
    updateNotice();
}

void MainWindow::connectCommands() {
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"BtnClearAn", [this] { clearPane(PaneRole::coefficients); }},
        {"BtnLoadAn", [this] { loadPane(PaneRole::coefficients); }},
        {"BtnSaveAn", [this] { savePane(PaneRole::coefficients); }},
        {"BtnClearX", [this] { clearPane(PaneRole::xValues); }},
        {"BtnLoadX", [this] { loadPane(PaneRole::xValues); }},
        {"BtnSaveX", [this] { savePane(PaneRole::xValues); }},
        {"BtnClearFx", [this] { clearPane(PaneRole::results); }},
        {"BtnLoadFx", [this] { loadPane(PaneRole::results); }},
        {"BtnSaveFx", [this] { savePane(PaneRole::results); }},
        {"BtnSolve", [this] { solve(); }},
        {"BtnSampleData", [this] { loadSampleData(); }},
        {"MnuExit", [this] { requestClose(); }},
        {"MnuChinese", [this] { setLanguage(false); }},
        {"MnuEnglish", [this] { setLanguage(true); }},
        {"MnuContent", [this] { showHelp(); }},
        {"MnuWeb", [this] { showWebPage(); }},
        {"MnuPhone", [this] { showDialog(app_.ownedWindow<PhoneDialog>()); }},
        {"MnuAbout", [this] { showDialog(app_.ownedWindow<AboutBox>()); }},
    };
    for (const auto& [name, command] : commands) {
        QObject* sender = control(name);
        if (auto* button = qobject_cast<QPushButton*>(sender))
            connectCommand(button, &QPushButton::clicked, this, app_, command);
        else if (auto* entry = qobject_cast<QAction*>(sender))
            connectCommand(entry, &QAction::triggered, this, app_, command);
    }
    connectCommand(qobject_cast<QMenu*>(control("MnuSet")), &QMenu::aboutToShow, this, app_,
                   [this] { markLanguageChoice(); });
    // A file dropped on a pane loads as its Load button would.
    for (TextPane* pane : panes_) acceptFileDrops(*pane, app_);
    acceptRangeFill(*panes_[1], this, app_, [this] { return RangeFillStyle{english_, decimalMark_}; });

    // Ctrl+Enter solves from anywhere in the window, the panes included.
    for (QKeyCombination keys : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(keys), this);
        shortcut->setObjectName(QStringLiteral("SolveShortcut"));
        connect(shortcut, &QShortcut::activated, solveButton_, &QPushButton::click);
    }

    // The coordinates under the mouse stand in for the notice while the
    // mouse is on the plot.
    connect(plotPage_, &PlotPage::coordinatesChanged, this, [this](const QString& coordinates) {
        if (coordinates.isEmpty())
            updateNotice();
        else
            noticePanel_->setText(coordinates);
    });
}

}  // namespace quill
