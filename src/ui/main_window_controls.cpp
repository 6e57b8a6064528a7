#include "ui/main_window_controls.h"

#include <stdexcept>
#include <string>

namespace quill {

namespace {

using enum ControlKind;

constexpr Caption kNone{"", ""};
constexpr Caption kClear{"清空Clear", "Clear"};
constexpr Caption kLoad{"装入Load", "Load"};
constexpr Caption kSave{"保存Save", "Save"};

// The three panes first, then the buttons and the check box as they stand
// under them, Solve and the sample data last.
const ControlSpec kControls[] = {
    // name, kind, parent, place, caption, named by, description, tab stop
    {"PageControl1", tabs, "", {0, 0, 801, 441}, kNone, "", kNone, 0},
    {"TabSheet1", page, "PageControl1", {}, {"多项式求解器Quill Solve", "Quill Solve"}, "", kNone, 0},
    {"TabSheet2", plotPage, "PageControl1", {}, {"图形Plot", "Plot"}, "", kNone, 0},

    {"Label1", label, "TabSheet1", {8, 8, 296, 15}, sameInBoth("Question:a(n)*x^n+...a(1)*x+a(0)=F(x)"), "", kNone, 0},
    {"Label2", label, "TabSheet1", {8, 40, 72, 15}, sameInBoth("a(0)~a(n)"), "", kNone, 0},
    {"Label3", label, "TabSheet1", {256, 40, 8, 15}, sameInBoth("X"), "", kNone, 0},
    {"Label4", label, "TabSheet1", {496, 40, 32, 15}, sameInBoth("F(x)"), "", kNone, 0},

    {"MemoAN", pane, "TabSheet1", {8, 64, 233, 201}, sameInBoth("MemoAN"), "Label2",
     {"系数，每行一个，a(0)在前 Coefficients, one per line, a(0) first", "Coefficients, one per line, a(0) first"}, 1},
    {"MemoX", pane, "TabSheet1", {256, 64, 233, 201}, sameInBoth("MemoX"), "Label3",
     {"x值，每行一个 x values, one per line", "x values, one per line"}, 2},
    {"MemoFx", pane, "TabSheet1", {496, 64, 289, 201}, sameInBoth("就绪Ready"), "Label4",
     {"结果报告 Result report", "Result report"}, 3},

    {"BtnClearAn", button, "TabSheet1", {8, 272, 75, 25}, kClear, "", kNone, 4},
    {"BtnLoadAn", button, "TabSheet1", {88, 272, 75, 25}, kLoad, "", kNone, 5},
    {"BtnSaveAn", button, "TabSheet1", {168, 272, 75, 25}, kSave, "", kNone, 6},
    {"BtnClearX", button, "TabSheet1", {256, 272, 75, 25}, kClear, "", kNone, 7},
    {"BtnLoadX", button, "TabSheet1", {336, 272, 75, 25}, kLoad, "", kNone, 8},
    {"BtnSaveX", button, "TabSheet1", {416, 272, 75, 25}, kSave, "", kNone, 9},
    {"BtnClearFx", button, "TabSheet1", {544, 304, 75, 25}, kClear, "", kNone, 10},
    {"BtnLoadFx", button, "TabSheet1", {632, 304, 75, 25}, kLoad, "", kNone, 11},
    {"BtnSaveFx", button, "TabSheet1", {712, 304, 75, 25}, kSave, "", kNone, 12},
    {"ChkAutoClear", checkBox, "TabSheet1", {496, 272, 289, 17}, {"显示前清空Auto Clear", "Auto Clear"}, "", kNone, 13},
    {"BtnSolve", button, "TabSheet1", {256, 304, 233, 25}, {"计算 Solve", "Solve"}, "", kNone, 14},
    {"BtnSampleData", button, "TabSheet1", {8, 304, 241, 25}, {"例子数据 SampleData", "SampleData"}, "", kNone, 15},

    {"MnuFile", menu, "", {}, {"文件&File", "&File"}, "", kNone, 0},
    {"MnuExit", menuEntry, "MnuFile", {}, {"退出本软件&Exit", "&Exit"}, "", kNone, 0},
    {"MnuSet", menu, "", {}, {"设置&Set", "&Set"}, "", kNone, 0},
    {"MnuChinese", menuChoice, "MnuSet", {}, {"中文界面&Chinese", "&Chinese"}, "", kNone, 0},
    {"MnuEnglish", menuChoice, "MnuSet", {}, {"英文界面&English", "&English"}, "", kNone, 0},
    {"MnuHelp", menu, "", {}, {"帮助&Help", "&Help"}, "", kNone, 0},
    {"MnuContent", menuEntry, "MnuHelp", {}, {"帮助主题&Content", "&Content"}, "", kNone, 0},
    {"MnuWeb", menuEntry, "MnuHelp", {}, {"访问本软件网站&Web", "&Web"}, "", kNone, 0},
    {"MnuPhone", menuEntry, "MnuHelp", {}, {"手机访问本软件网站&Phone", "&Phone"}, "", kNone, 0},
    {"", separator, "MnuHelp", {}, kNone, "", kNone, 0},
    {"MnuAbout", menuEntry, "MnuHelp", {}, {"关于本软件&About", "&About"}, "", kNone, 0},

    {"StatusPanel0", statusPanel, "", {0, 0, 150, 19}, captions::kReady, "", kNone, 0},
    {"StatusPanel1", statusPanel, "", {}, kNone, "", kNone, 0},
};

}  // namespace

std::span<const ControlSpec> mainWindowControls() { return kControls; }

const ControlSpec& MainWindowControl(std::string_view name) {
    for (const ControlSpec& spec : kControls)
        if (name == spec.name) return spec;
    throw std::out_of_range("no control " + std::string(name));
}

}  // namespace quill
