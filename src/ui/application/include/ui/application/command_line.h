#pragma once
// The desktop program's command line:
//     quillometer [--solve] [COEFFICIENTS [X_VALUES]]
// The files go into the coefficient and x panes at the first show, in place
// of the sample data, as the Load buttons would load them; --solve presses
// Solve once the window is up. A desktop's "Open with" passes one file.

#include <QString>
#include <QStringList>
#include <optional>

namespace quill {

struct StartRequest {
    QString coefficients;  // empty: the sample data stays
    QString xValues;
    bool solve = false;
};

// Answers --help and --version on standard output before the application
// object exists, so that neither needs a display. The exit status, or
// nothing when the program is to start.
std::optional<int> answerWithoutWindow(int argc, char** argv);

// Reads the arguments that Qt left (the program name first). Bad arguments
// are told on standard error with the usage and give exit status 2.
std::optional<int> readStartRequest(const QStringList& arguments, StartRequest& request);

}  // namespace quill
