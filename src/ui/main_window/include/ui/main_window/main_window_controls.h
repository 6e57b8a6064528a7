#pragma once
// The main window's controls, described once: what each is, where it sits,
// what it says in either language, what screen readers hear, and where the
// Tab key takes it. The window builds itself from this table, switches its
// language and names its controls for screen readers by it; tests check the
// window against it.

#include <QRect>
#include <cstddef>
#include <span>

#include "ui/shared/language.h"

namespace quill {

enum class ControlKind {
    tabs,   // the page control
    page,   // a page of it; the caption is the tab's
    plot,   // the page with the plot of the last Solve
    label,  // grows where the installed font needs more room
    pane,   // a text pane; the caption is its first line, the same in both languages
    button,
    checkBox,  // checked at the start
    menu,      // a menu of the menu bar
    menuEntry,
    menuChoice,   // a menu entry with a check mark
    separator,    // a line between menu entries
    statusPanel,  // a panel of the status bar; the last one takes the rest of the width
};

// Every control, named by its role, in the order of the table: parents
// before their children, menus and their entries in the order they are shown.
enum class Control {
    pages,
    editorPage,
    plotPage,
    questionLabel,
    coefficientLabel,
    xLabel,
    resultLabel,
    coefficientPane,
    xPane,
    resultPane,
    clearCoefficients,
    loadCoefficients,
    saveCoefficients,
    clearX,
    loadX,
    saveX,
    clearResults,
    loadResults,
    saveResults,
    autoClear,
    solve,
    sampleData,
    fileMenu,
    exitEntry,
    setMenu,
    chineseEntry,
    englishEntry,
    helpMenu,
    contentEntry,
    webEntry,
    phoneEntry,
    helpSeparator,
    aboutEntry,
    statePanel,
    noticePanel,
    none,  // no control: the window itself as a parent, no label naming it
};

inline constexpr std::size_t kControlCount = static_cast<std::size_t>(Control::none);
constexpr std::size_t indexOf(Control control) { return static_cast<std::size_t>(control); }

struct ControlSpec {
    Control control;
    const char* name;  // the object name; empty for a separator
    ControlKind kind;
    Control parent;  // the page or menu it belongs to; none: the window
    QRect place;     // pixels at 96 dpi, in its parent; a label's least size
    Caption caption;
    Control namedBy;      // the label whose caption names it for screen readers
    Caption description;  // what screen readers add to the name
    int tabStop;          // its place in the Tab order, from 1; 0: none of its own
};

// The table, row i describing Control(i).
std::span<const ControlSpec, kControlCount> mainWindowControls();

}  // namespace quill
