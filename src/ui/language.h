#pragma once
// The interface language. Every caption exists twice: bilingual (Chinese,
// then English), which the program shows by default, and English only. The
// report, its literals and the application title are the same in both.

#include <QString>

namespace quill {

class TAboutBox;
class TFrmMain;
class TFrmVisitePhone;

struct Caption {
    const char* bilingual;
    const char* english;
    QString Text(bool english) const { return QString::fromUtf8(english ? this->english : bilingual); }
};

namespace captions {
// The status bar.
inline constexpr Caption kReady{"就绪", "Ready"};
inline constexpr Caption kBusy{"计算中 Busy", "Busy"};
inline constexpr Caption kDecimalMark{"小数点 Decimal mark: ", "Decimal mark: "};
// The box that explains that the help file is missing.
inline constexpr Caption kHelpHint{"系统提示System Hint", "System Hint"};
inline constexpr char kHelpMissingEnglish[] = "Can not Open Help File";
}  // namespace captions

// Puts every caption of the window into the language: menu, buttons, check
// box, tabs, status bar, the panes' descriptions and the plot page.
void ApplyCaptions(TFrmMain& window, bool english);
// Only the panes' descriptions for screen readers (part of the above).
void DescribePanes(TFrmMain& window, bool english);
// The same for the two dialogs; their layout stays as it is.
void ApplyCaptions(TAboutBox& about, bool english);
void ApplyCaptions(TFrmVisitePhone& phone, bool english);

}  // namespace quill
