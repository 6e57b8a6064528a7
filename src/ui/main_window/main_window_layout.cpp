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

#include "ui/application/application.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/phone_dialog.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/main_window_controls.h"
#include "ui/panes/fit_dialog.h"
#include "ui/panes/formula_dialog.h"
#include "ui/panes/pane_drop.h"
#include "ui/panes/range_dialog.h"
#include "ui/panes/text_pane.h"
#include "ui/plot_page/plot_page.h"

namespace quill {

namespace {

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

    // Parents come before their children in the table.
    for (const ControlSpec& spec : mainWindowControls()) {
        QObject* object = buildControl(spec, client);
        object->setObjectName(QString::fromLatin1(spec.name));
        controls_[indexOf(spec.control)] = object;
    }

    panes_[0] = control<TextPane>(Control::coefficientPane);
    panes_[1] = control<TextPane>(Control::xPane);
    panes_[2] = control<TextPane>(Control::resultPane);
    autoClear_ = control<QCheckBox>(Control::autoClear);
    solveButton_ = control<QPushButton>(Control::solve);
    pages_ = control<QTabWidget>(Control::pages);
    chineseEntry_ = control<QAction>(Control::chineseEntry);
    englishEntry_ = control<QAction>(Control::englishEntry);
    statePanel_ = control<QLabel>(Control::statePanel);
    noticePanel_ = control<QLabel>(Control::noticePanel);
    buildSolveProgress();
    buildPaneWork();
}

QObject* MainWindow::buildControl(const ControlSpec& spec, QWidget* client) {
    const QString caption = spec.caption.text(false);
    auto parentWidget = [this, &spec] { return control(spec.parent); };
    auto parentMenu = [this, &spec] { return control<QMenu>(spec.parent); };
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
        case ControlKind::plot: {
            QWidget* page = nullptr;
            if (spec.kind == ControlKind::plot)
                page = plotPage_ = new PlotPage(app_);
            else
                page = new QWidget();
            control<QTabWidget>(spec.parent)->addTab(page, caption);
            return page;
        }
        case ControlKind::label: return makeLabel(parentWidget(), spec);
        case ControlKind::pane: {
            auto* pane = place(new TextPane(parentWidget()), spec);
            pane->lines().add(spec.caption.bilingual);
            return pane;
        }
        case ControlKind::button: return place(new QPushButton(caption, parentWidget()), spec);
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
        case ControlKind::separator: return parentMenu()->addSeparator();
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
    for (const ControlSpec& spec : mainWindowControls())
        if (spec.tabStop > 0) stops.emplace_back(spec.tabStop, control(spec.control));
    std::sort(stops.begin(), stops.end());
    for (std::size_t i = 1; i < stops.size(); ++i) QWidget::setTabOrder(stops[i - 1].second, stops[i].second);
    if (!stops.empty()) stops.front().second->setFocus();
}

void MainWindow::applyLanguage(bool english) {
    english_ = english;
    for (const ControlSpec& spec : mainWindowControls()) {
        QObject* object = controls_[indexOf(spec.control)];
        const QString caption = spec.caption.text(english);
        switch (spec.kind) {
            case ControlKind::page: pages_->setTabText(pages_->indexOf(qobject_cast<QWidget*>(object)), caption); break;
            case ControlKind::plot:
                pages_->setTabText(pages_->indexOf(plotPage_), caption);
                plotPage_->setEnglish(english);
                // Screen readers call the plot by its page.
                plotPage_->setPlotName(caption);
                break;
            case ControlKind::label:
            case ControlKind::statusPanel:
                if (*spec.caption.bilingual) qobject_cast<QLabel*>(object)->setText(caption);
                break;
            case ControlKind::pane:  // the first line is text, not a caption
                break;
            case ControlKind::button:
            case ControlKind::checkBox: qobject_cast<QAbstractButton*>(object)->setText(caption); break;
            case ControlKind::menu: qobject_cast<QMenu*>(object)->setTitle(caption); break;
            case ControlKind::menuEntry:
            case ControlKind::menuChoice: qobject_cast<QAction*>(object)->setText(caption); break;
            case ControlKind::tabs:
            case ControlKind::separator: break;
        }
        if (*spec.description.bilingual)
            qobject_cast<QWidget*>(object)->setAccessibleDescription(spec.description.text(english));
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
    const std::pair<Control, std::function<void()>> buttons[] = {
        {Control::clearCoefficients, [this] { clearPane(PaneRole::coefficients); }},
        {Control::loadCoefficients, [this] { loadPane(PaneRole::coefficients); }},
        {Control::saveCoefficients, [this] { savePane(PaneRole::coefficients); }},
        {Control::clearX, [this] { clearPane(PaneRole::xValues); }},
        {Control::loadX, [this] { loadPane(PaneRole::xValues); }},
        {Control::saveX, [this] { savePane(PaneRole::xValues); }},
        {Control::clearResults, [this] { clearPane(PaneRole::results); }},
        {Control::loadResults, [this] { loadPane(PaneRole::results); }},
        {Control::saveResults, [this] { savePane(PaneRole::results); }},
        {Control::solve, [this] { solve(); }},
        {Control::sampleData, [this] { loadSampleData(); }},
    };
    for (const auto& [button, command] : buttons)
        connectCommand(control<QPushButton>(button), &QPushButton::clicked, this, app_, command);
    const std::pair<Control, std::function<void()>> entries[] = {
        {Control::exitEntry, [this] { requestClose(); }},
        {Control::chineseEntry, [this] { setLanguage(false); }},
        {Control::englishEntry, [this] { setLanguage(true); }},
        {Control::contentEntry, [this] { showHelp(); }},
        {Control::webEntry, [this] { showWebPage(); }},
        {Control::phoneEntry, [this] { showDialog(app_.ownedWindow<PhoneDialog>()); }},
        {Control::aboutEntry, [this] { showDialog(app_.ownedWindow<AboutBox>()); }},
    };
    for (const auto& [entry, command] : entries)
        connectCommand(control<QAction>(entry), &QAction::triggered, this, app_, command);
    connectCommand(control<QMenu>(Control::setMenu), &QMenu::aboutToShow, this, app_, [this] { markLanguageChoice(); });
    // A file dropped on a pane loads as its Load button would.
    for (TextPane* pane : panes_) acceptFileDrops(*pane, app_);
    acceptRangeFill(*panes_[1], this, app_, [this] { return RangeFillStyle{english_, decimalMark_}; });
    acceptFormulaFill(*panes_[0], this, app_, [this] { return RangeFillStyle{english_, decimalMark_}; });
    acceptPointFit(
        *panes_[0], this, app_,
        [this] {
            return RangeFillStyle{english_, decimalMark_};
        },
        &fileDialog(FileDialog::Kind::open), [this](plot::PlotModel fit) { plotPage_->showFit(std::move(fit)); });

    // Ctrl+Enter solves from anywhere in the window, the panes included.
    for (QKeyCombination keys : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(keys), this);
        shortcut->setObjectName(QStringLiteral("SolveShortcut"));
        connect(shortcut, &QShortcut::activated, solveButton_, &QPushButton::click);
    }

    // An edit of a list makes the analysis under way moot.
    for (TextPane* pane : {panes_[0], panes_[1]})
        connect(pane, &TextPane::contentsChanged, this, [this] { cancelAnalysis(); });

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
