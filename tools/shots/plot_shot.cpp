// Saves a picture of the plot page after the sample Solve:
//   quill_plot_shot SAMPLE_FOLDER OUTPUT.png [log]
// reads An.txt and X.txt from the folder, solves, shows the page at the size
// of a tab page in the main window (with the logarithmic y axis when asked)
// with the marks of its analysis, and grabs it.

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPixmap>
#include <cstdio>

#include "common/error.h"
#include "engine/list_reader.h"
#include "engine/solve.h"
#include "lines/line_list.h"
#include "lines/list_file.h"
#include "qcustomplot.h"
#include "solve/background_analysis.h"
#include "ui/application/application.h"
#include "ui/plot_page/plot_page.h"
#include "ui/shared/dialog_support.h"

int main(int argc, char** argv) {
    quill::Application app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3 && !(args.size() == 4 && args[3] == "log")) {
        std::fputs("usage: quill_plot_shot SAMPLE_FOLDER OUTPUT.png [log]\n", stderr);
        return 2;
    }
    try {
        quill::ByteLineList an, x;
        quill::loadFromFile(an, QFile::encodeName(args[1] + "/An.txt").toStdString());
        quill::loadFromFile(x, QFile::encodeName(args[1] + "/X.txt").toStdString());
        const std::vector<double> coefficients = quill::readList(an.text(), '.');
        quill::Solve solve({});
        solve.addXText(x.text());
        solve.finishX();
        solve.compute(coefficients);

        quill::PlotPage page(app);
        page.setFont(quill::dialogFont(15));  // the main window's font
        page.resize(795, 415);                // a tab page of the main window
        page.show();
        page.showSolve(coefficients, solve.xValues(), solve.fxValues());
        quill::BackgroundAnalysis analysis({coefficients, solve.xValues(), solve.fxValues()}, nullptr);
        analysis.waitFor(std::chrono::seconds(60));
        if (!analysis.outcome().error) page.showAnalysis(analysis.outcome());
        if (args.size() == 4) page.findChild<QCheckBox*>("ChkLogY")->click();
        for (int i = 0; i < 20; ++i) QApplication::processEvents();
        page.findChild<QCustomPlot*>("PlotArea")->replot(QCustomPlot::rpImmediateRefresh);
        const bool saved = page.grab().save(args[2]);
        std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write", qPrintable(args[2]));
        return saved ? 0 : 1;
    } catch (const quill::Error& e) {
        std::fprintf(stderr, "%s\n", e.message().c_str());
        return 1;
    }
}
