#include "ui/application/command_line.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <cstdio>

#include "ui/shared/build_info.h"

namespace quill {

namespace {

const QCommandLineOption kHelp({QStringLiteral("h"), QStringLiteral("help")},
                               QStringLiteral("Show this help and exit."));
const QCommandLineOption kVersion({QStringLiteral("v"), QStringLiteral("version")},
                                  QStringLiteral("Show the version and exit."));
const QCommandLineOption kSolve(QStringLiteral("solve"), QStringLiteral("Press Solve once the window is shown."));

// The parser over the arguments; parsed tells whether they were all understood.
struct Parsed {
    QCommandLineParser parser;
    bool understood = false;
};

void parse(Parsed& parsed, const QStringList& arguments) {
    QCommandLineParser& p = parsed.parser;
    // "-reverse" and the like are Qt's words, not runs of letters.
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    p.setApplicationDescription(
        QStringLiteral("Evaluates a polynomial at a list of x values and shows an exact report.\n"
                       "The files are loaded into the coefficient and x panes in place of the sample data."));
    p.addOptions({kHelp, kVersion, kSolve});
    p.addPositionalArgument(QStringLiteral("COEFFICIENTS"),
                            QStringLiteral("The coefficients a(0) to a(n), one per line."),
                            QStringLiteral("[COEFFICIENTS"));
    p.addPositionalArgument(QStringLiteral("X_VALUES"), QStringLiteral("The x values, one per line."),
                            QStringLiteral("[X_VALUES]]"));
    parsed.understood = p.parse(arguments);
}

QString usage(const QCommandLineParser& parser) {
    // The parser names the program by the path it was started with, or not at
    // all before the application object exists.
    return parser.helpText().replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                                     QStringLiteral("Usage: quillometer"));
}

void print(std::FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fflush(to);
}

}  // namespace

std::optional<int> answerWithoutWindow(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    Parsed parsed;
    parse(parsed, arguments);  // Qt's own options are still among them: no complaints here
    if (parsed.parser.isSet(kHelp)) {
        print(stdout, usage(parsed.parser));
        return 0;
    }
    if (parsed.parser.isSet(kVersion)) {
        print(stdout, QStringLiteral("quillometer %1\n").arg(QString::fromLatin1(kBuildVersion)));
        return 0;
    }
    return std::nullopt;
}

std::optional<int> readStartRequest(const QStringList& arguments, StartRequest& request) {
    Parsed parsed;
    parse(parsed, arguments);
    const QStringList files = parsed.parser.positionalArguments();
    QString problem = parsed.parser.errorText();
    if (parsed.understood && files.size() > 2)
        problem = QStringLiteral("Too many files: at most COEFFICIENTS and X_VALUES.");
    if (!problem.isEmpty()) {
        print(stderr, QStringLiteral("quillometer: %1\n%2").arg(problem, usage(parsed.parser)));
        return 2;
    }
    request.coefficients = files.value(0);
    request.xValues = files.value(1);
    request.solve = parsed.parser.isSet(kSolve);
    return std::nullopt;
}

}  // namespace quill
