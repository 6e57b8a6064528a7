#include "ui/main_window/main_window_controls.h"

#include <iterator>

namespace quill {

namespace {

using enum ControlKind;
using enum Control;

constexpr Caption kNone{"", ""};
constexpr Caption kClear{"清空Clear", "Clear"};
constexpr Caption kLoad{"装入Load", "Load"};
constexpr Caption kSave{"保存Save", "Save"};

// The three panes first, then the buttons and the check box as they stand
// under them, Solve and the sample data last.
// clang-format off
constexpr ControlSpec kControls[] = {
    // control, name, kind, parent, place, caption, named by, description, tab stop
    {pages, "PageControl1", tabs, none, {0, 0, 801, 441}, kNone, none, kNone, 0},
    {editorPage, "TabSheet1", page, pages, {}, {"多项式求解器Quill Solve", "Quill Solve"}, none, kNone, 0},
    {plotPage, "TabSheet2", plot, pages, {}, {"图形Plot", "Plot"}, none, kNone, 0},

    {questionLabel, "Label1", label, editorPage, {8, 8, 296, 15},
     sameInBoth("Question:a(n)*x^n+...a(1)*x+a(0)=F(x)"), none, kNone, 0},
    {coefficientLabel, "Label2", label, editorPage, {8, 40, 72, 15}, sameInBoth("a(0)~a(n)"), none, kNone, 0},
    {xLabel, "Label3", label, editorPage, {256, 40, 8, 15}, sameInBoth("X"), none, kNone, 0},
    {resultLabel, "Label4", label, editorPage, {496, 40, 32, 15}, sameInBoth("F(x)"), none, kNone, 0},

    {coefficientPane, "MemoAN", pane, editorPage, {8, 64, 233, 201}, sameInBoth("MemoAN"), coefficientLabel,
     {"系数，每行一个，a(0)在前 Coefficients, one per line, a(0) first",
      "Coefficients, one per line, a(0) first"}, 1},
    {xPane, "MemoX", pane, editorPage, {256, 64, 233, 201}, sameInBoth("MemoX"), xLabel,
     {"x值，每行一个 x values, one per line", "x values, one per line"}, 2},
    {resultPane, "MemoFx", pane, editorPage, {496, 64, 289, 201}, sameInBoth("就绪Ready"), resultLabel,
     {"结果报告 Result report", "Result report"}, 3},

    {clearCoefficients, "BtnClearAn", button, editorPage, {8, 272, 75, 25}, kClear, none, kNone, 4},
    {loadCoefficients, "BtnLoadAn", button, editorPage, {88, 272, 75, 25}, kLoad, none, kNone, 5},
    {saveCoefficients, "BtnSaveAn", button, editorPage, {168, 272, 75, 25}, kSave, none, kNone, 6},
    {clearX, "BtnClearX", button, editorPage, {256, 272, 75, 25}, kClear, none, kNone, 7},
    {loadX, "BtnLoadX", button, editorPage, {336, 272, 75, 25}, kLoad, none, kNone, 8},
    {saveX, "BtnSaveX", button, editorPage, {416, 272, 75, 25}, kSave, none, kNone, 9},
    {clearResults, "BtnClearFx", button, editorPage, {544, 304, 75, 25}, kClear, none, kNone, 10},
    {loadResults, "BtnLoadFx", button, editorPage, {632, 304, 75, 25}, kLoad, none, kNone, 11},
    {saveResults, "BtnSaveFx", button, editorPage, {712, 304, 75, 25}, kSave, none, kNone, 12},
    {autoClear, "ChkAutoClear", checkBox, editorPage, {496, 272, 289, 17},
     {"显示前清空Auto Clear", "Auto Clear"}, none, kNone, 13},
    {solve, "BtnSolve", button, editorPage, {256, 304, 233, 25}, {"计算 Solve", "Solve"}, none, kNone, 14},
    {sampleData, "BtnSampleData", button, editorPage, {8, 304, 241, 25},
     {"例子数据 SampleData", "SampleData"}, none, kNone, 15},

    {fileMenu, "MnuFile", menu, none, {}, {"文件&File", "&File"}, none, kNone, 0},
    {exitEntry, "MnuExit", menuEntry, fileMenu, {}, {"退出本软件&Exit", "&Exit"}, none, kNone, 0},
    {setMenu, "MnuSet", menu, none, {}, {"设置&Set", "&Set"}, none, kNone, 0},
    {chineseEntry, "MnuChinese", menuChoice, setMenu, {}, {"中文界面&Chinese", "&Chinese"}, none, kNone, 0},
    {englishEntry, "MnuEnglish", menuChoice, setMenu, {}, {"英文界面&English", "&English"}, none, kNone, 0},
    {helpMenu, "MnuHelp", menu, none, {}, {"帮助&Help", "&Help"}, none, kNone, 0},
    {contentEntry, "MnuContent", menuEntry, helpMenu, {}, {"帮助主题&Content", "&Content"}, none, kNone, 0},
    {webEntry, "MnuWeb", menuEntry, helpMenu, {}, {"访问本软件网站&Web", "&Web"}, none, kNone, 0},
    {phoneEntry, "MnuPhone", menuEntry, helpMenu, {}, {"手机访问本软件网站&Phone", "&Phone"}, none, kNone, 0},
    {helpSeparator, "", separator, helpMenu, {}, kNone, none, kNone, 0},
    {aboutEntry, "MnuAbout", menuEntry, helpMenu, {}, {"关于本软件&About", "&About"}, none, kNone, 0},

    {statePanel, "StatusPanel0", statusPanel, none, {0, 0, 150, 19}, captions::kReady, none, kNone, 0},
    {noticePanel, "StatusPanel1", statusPanel, none, {}, kNone, none, kNone, 0},
};
// clang-format on

// Row i describes Control(i), so that the window finds a control's row and
// object by its role, never by a name looked up while it runs.
constexpr bool rowsInOrder() {
    for (std::size_t i = 0; i < std::size(kControls); ++i)
        if (indexOf(kControls[i].control) != i) return false;
    return std::size(kControls) == kControlCount;
}
static_assert(rowsInOrder(), "the control table's rows follow the Control enum");

}  // namespace

std::span<const ControlSpec, kControlCount> mainWindowControls() {
    return std::span<const ControlSpec, kControlCount>(kControls);
}

}  // namespace quill
