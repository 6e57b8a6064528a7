#pragma once
// The main window's controls, described once: what each is, where it sits,
// what it says in either language, what screen readers hear, and where the
// Tab key takes it. The window builds itself from this table, switches its
// language and names its controls for screen readers by it; tests check the
// window against it.

#include <QRect>
#include <span>
#include <string_view>

#include "ui/language.h"

namespace quill {

enum class ControlKind {
    tabs,         // the page control
    page,         // a page of it; the caption is the tab's
    plotPage,     // the page with the plot of the last Solve
    label,        // grows where the installed font needs more room
    pane,         // a text pane; the caption is its first line, the same in both languages
    button,
    checkBox,     // checked at the start
    menu,         // a menu of the menu bar
    menuEntry,
    menuChoice,   // a menu entry with a check mark
    separator,    // a line between menu entries
    statusPanel,  // a panel of the status bar; the last one takes the rest of the width
};

struct ControlSpec {
    const char* name;     // the object name; empty for a separator
    ControlKind kind;
    const char* parent;   // the page or menu it belongs to; empty: the window
    QRect place;          // pixels at 96 dpi, in its parent; a label's least size
    Caption caption;
    const char* namedBy;  // the label whose caption names it for screen readers
    Caption description;  // what screen readers add to the name
    int tabStop;          // its place in the Tab order, from 1; 0: none of its own
};

// Every control, parents before their children, menus and their entries in
// the order they are shown.
std::span<const ControlSpec> mainWindowControls();
// The row of a control; raises std::out_of_range for a name not in the table.
const ControlSpec& MainWindowControl(std::string_view name);

}  // namespace quill
