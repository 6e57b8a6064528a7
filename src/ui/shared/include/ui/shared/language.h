#pragma once
// The interface language. Every caption exists twice: bilingual (Chinese,
// then English), which the program shows by default, and English only. The
// main window's controls carry theirs in the control table
// (main_window_controls.cpp); every other text the desktop program shows
// stands here, once. The report, its literals and the application title are
// the same in both languages.

#include <QString>

namespace quill {

struct Caption {
    const char* bilingual;
    const char* english;
    QString text(bool english) const { return QString::fromUtf8(english ? this->english : bilingual); }
};

// A text that reads the same in both languages.
constexpr Caption sameInBoth(const char* text) { return {text, text}; }

namespace captions {

// The status bar.
inline constexpr Caption kReady{"就绪", "Ready"};
inline constexpr Caption kBusy{"计算中 Busy", "Busy"};
inline constexpr Caption kDecimalMark{"小数点 Decimal mark: ", "Decimal mark: "};
// A long Solve: its progress and the button that cancels it (so does Esc).
inline constexpr Caption kSolveProgress{"计算进度 Solve progress", "Solve progress"};
inline constexpr Caption kCancelSolve{"取消 Cancel", "Cancel"};
// Long pane work, in the status bar while it runs (with the same Cancel).
inline constexpr Caption kLoading{"正在载入 Loading…", "Loading…"};
inline constexpr Caption kSaving{"正在保存 Saving…", "Saving…"};
inline constexpr Caption kFilling{"正在填充 Filling…", "Filling…"};
inline constexpr Caption kCopying{"正在复制 Copying…", "Copying…"};
// After a Solve: %1 coefficients, %2 x values, %3 the time it took.
inline constexpr Caption kSolveFigures = sameInBoth("An %1, X %2, %3");

// The box for an error that is no error object of the program: %1 its type,
// %2 the program file, %3 an address.
inline constexpr Caption kApplicationError = sameInBoth("Application Error");
inline constexpr Caption kUnknownException = sameInBoth("Exception %1 in module %2 at %3.\r\n\r\n");

// The shared open and save dialogs: one entry per file kind, in Qt's form.
inline constexpr Caption kTextFiles{"文本数据文件(*.txt)", "Text data files(*.txt)"};
inline constexpr Caption kAllFiles{"所有文件(*.*)", "All files(*.*)"};

// The box that explains that the help file is missing. Its bilingual text
// is the Chinese sentence with the path, a line break, the English sentence
// with the path.
inline constexpr Caption kHelpHint{"系统提示System Hint", "System Hint"};
inline constexpr Caption kHelpMissing{"不能打开帮助文件", "Can not Open Help File"};

// The About box.
inline constexpr Caption kAboutTitle{"关于本软件About", "About"};
inline constexpr Caption kAboutProduct{"Quillometer多项式求值器2023", "Quillometer2023"};
inline constexpr Caption kAboutVersion{"版本号Version：2023", "Version: 2023"};
inline constexpr Caption kAboutPurpose{"多项式批量求值 Polynomial evaluator", "Polynomial evaluator"};
inline constexpr Caption kAboutBuild{"构建版本 Build %1", "Build %1"};  // %1: the version
inline constexpr Caption kAboutLicence{
    "以 MIT 许可证发布，不提供任何担保。Released under the MIT License, without warranty.",
    "Released under the MIT License, without warranty."};
inline constexpr Caption kAboutWeb{"网站 Web: ", "Web: "};  // the address follows
inline constexpr Caption kAboutOk{"关闭&OK", "&OK"};

// The phone dialog.
inline constexpr Caption kPhoneTitle{"手机二维码访问本软件网站Visite with 2-Dims Code", "Visite with 2-Dims Code"};
inline constexpr Caption kPhoneClose{"关闭&Close", "&Close"};

// The plot page.
inline constexpr Caption kPlotFit{"适合Fit", "Fit"};
inline constexpr Caption kPlotLogY{"对数Log y", "Log y"};
inline constexpr Caption kPlotExport{"导出Export", "Export"};

// What the plot knows beside a Solve: its marks' tooltips (%1 x, %2 F(x) in
// the report's number text), the list of its roots and turning points, and
// the status bar's word on the report's correct digits.
namespace analysis {
inline constexpr Caption kRootTip{"根 Root: x=%1  重数 multiplicity %2", "Root: x=%1  multiplicity %2"};
// %3: min, max or flat.
inline constexpr Caption kTurningTip{"驻点 Turning point (%3): x=%1  F(x)=%2", "Turning point (%3): x=%1  F(x)=%2"};
// %3: the double nearest to the exact F(x), %4: the count of correct digits.
inline constexpr Caption kDigitsTip{"x=%1  F(x)=%2  精确值 exact=%3  正确位数 correct digits: %4",
                                    "x=%1  F(x)=%2  exact=%3  correct digits: %4"};
inline constexpr Caption kMarkKeys{
    "左右方向键在根、驻点与交点之间移动 Left and Right step through the roots, turning points and crossings",
    "Left and Right step through the roots, turning points and crossings"};
// The line y = c: its entry, the crossings' tooltip (%1 x, %2 c, %3 the
// multiplicity) and what the entry says while they are searched for.
inline constexpr Caption kLevel{"水平线 Line &y =", "Line &y ="};
inline constexpr Caption kCrossingTip{"交点 Crossing: x=%1  F(x)=%2  重数 multiplicity %3",
                                      "Crossing: x=%1  F(x)=%2  multiplicity %3"};
inline constexpr Caption kSearching{"正在查找交点 Finding the crossings…", "Finding the crossings…"};
// A measured point after a fit: %1 x, %2 y, %3 y - F(x).
inline constexpr Caption kResidualTip{"测量点 Point: x=%1  y=%2  残差 residual=%3", "Point: x=%1  y=%2  residual=%3"};
inline constexpr Caption kListButton{"列表List", "List"};
inline constexpr Caption kListTitle{"根与驻点 Roots and turning points", "Roots and turning points"};
inline constexpr Caption kRootsPage{"根 Roots", "Roots"};
inline constexpr Caption kTurningPointsPage{"驻点 Turning points", "Turning points"};
inline constexpr Caption kCrossingsPage{"交点 Crossings", "Crossings"};
inline constexpr Caption kCopy{"复制&Copy", "&Copy"};
inline constexpr Caption kExportCsv{"导出CSV &Export CSV", "&Export CSV"};
inline constexpr Caption kClose{"关闭&Close", "&Close"};
inline constexpr Caption kNoIsolatedRoots{"所有系数为零，没有孤立的根。Every coefficient is zero: no root is isolated.",
                                          "Every coefficient is zero: no root is isolated."};
// The status bar after a Solve: the analysis under way, then its word on
// the report's correct digits (%1: how many values have fewer than 10).
inline constexpr Caption kAnalysing{"分析中… Analysing…", "Analysing…"};
inline constexpr Caption kOneFewDigits{"1个值的正确位数少于10位 1 value has fewer than 10 correct digits",
                                       "1 value has fewer than 10 correct digits"};
inline constexpr Caption kFewDigits{"%1个值的正确位数少于10位 %1 values have fewer than 10 correct digits",
                                    "%1 values have fewer than 10 correct digits"};
inline constexpr Caption kAllTen{"全部值至少10位正确 All values are right to 10 digits or more",
                                 "All values are right to 10 digits or more"};
inline constexpr Caption kAllFifteen{"全部值至少15位正确 All values are right to 15 digits",
                                     "All values are right to 15 digits"};
}  // namespace analysis

// A pane's context menu, the same in both languages.
inline constexpr Caption kUndo = sameInBoth("&Undo");
inline constexpr Caption kRedo = sameInBoth("&Redo");
inline constexpr Caption kCut = sameInBoth("Cu&t");
inline constexpr Caption kCopy = sameInBoth("&Copy");
inline constexpr Caption kPaste = sameInBoth("&Paste");
inline constexpr Caption kDelete = sameInBoth("Delete");
inline constexpr Caption kSelectAll = sameInBoth("Select All");

// "Fill with a range…": the x pane's context menu entry, the dialog, and
// its reasons for refusing an entry.
namespace range {
inline constexpr Caption kMenuEntry{"等差数列填充&Fill with a range…", "&Fill with a range…"};
inline constexpr Caption kTitle{"等差数列填充Fill with a range", "Fill with a range"};
inline constexpr Caption kFrom{"从&From", "&From"};
inline constexpr Caption kTo{"到&To", "&To"};
inline constexpr Caption kCount{"个数&Count", "&Count"};
inline constexpr Caption kOk{"确定&OK", "&OK"};
inline constexpr Caption kCancel{"取消Cancel", "Cancel"};
inline constexpr Caption kFromNotNumber{"“从”不是有效的数值。From is not a valid number.",
                                        "From is not a valid number."};
inline constexpr Caption kFromTooLarge{"“从”超出双精度数的范围。From is beyond the range of a double.",
                                       "From is beyond the range of a double."};
inline constexpr Caption kToNotNumber{"“到”不是有效的数值。To is not a valid number.", "To is not a valid number."};
inline constexpr Caption kToTooLarge{"“到”超出双精度数的范围。To is beyond the range of a double.",
                                     "To is beyond the range of a double."};
// %1: kMostRangeValues.
inline constexpr Caption kCountNotAllowed{"个数必须是1到%1之间的整数。Count must be a whole number from 1 to %1.",
                                          "Count must be a whole number from 1 to %1."};
inline constexpr Caption kSingleValue{"个数为1时，“从”和“到”必须相同。With a Count of 1, From and To must be equal.",
                                      "With a Count of 1, From and To must be equal."};
inline constexpr Caption kTooWide{
    "从“从”到“到”的跨度超出双精度数的范围。The span from From to To is too wide for a double.",
    "The span from From to To is too wide for a double."};
inline constexpr Caption kTooLong{"这些数值超出窗格的容量。The values do not fit into the pane.",
                                  "The values do not fit into the pane."};
}  // namespace range

// "Fill from a formula…": the coefficient pane's context menu entry and its
// dialog; the dialog shows the expansion's own message for a bad formula.
namespace formula {
inline constexpr Caption kMenuEntry{"从公式填充 Fill from a formula…", "Fill from a formula…"};
inline constexpr Caption kTitle{"从公式填充 Fill from a formula", "Fill from a formula"};
inline constexpr Caption kFormula{"公式&Formula", "&Formula"};
inline constexpr Caption kTooLong{"这些系数超出窗格的容量。The coefficients do not fit into the pane.",
                                  "The coefficients do not fit into the pane."};
inline constexpr Caption kExpanding{"正在展开 Expanding…", "Expanding…"};
}  // namespace formula

// "Fit to points…": the coefficient pane's context menu entry and its dialog.
namespace fit {
inline constexpr Caption kMenuEntry{"拟合 Fit to points…", "Fit to points…"};
inline constexpr Caption kTitle{"拟合 Fit to points", "Fit to points"};
inline constexpr Caption kPoints{"点（每行 x,y 或 x y，可加权）&Points (x,y or x y a line, optional weight)",
                                 "&Points (x,y or x y a line, optional weight)"};
inline constexpr Caption kDegree{"次数&Degree", "&Degree"};
inline constexpr Caption kLoad{"载入&Load…", "&Load…"};
// A file too long to show in the entry: %1 its name, %2 its bytes.
inline constexpr Caption kFromFile{"点来自文件 Points from %1 (%2 bytes)", "Points from %1 (%2 bytes)"};
inline constexpr Caption kFitting{"正在拟合 Fitting…", "Fitting…"};
}  // namespace fit

}  // namespace captions

}  // namespace quill
