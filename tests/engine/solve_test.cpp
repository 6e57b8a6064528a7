#include "engine/solve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/error.h"
#include "engine/worker_pool.h"
#include "reference_solve.h"
#include "solve_report.h"

namespace quill {
namespace {

// An error's message and the pane line it names.
std::string errorText(const Error& err) {
    const auto* value = dynamic_cast<const ValueError*>(&err);
    return "error: " + err.message() + " @" + std::to_string(value ? value->lineIndex() : -1);
}

// The reference's report, or its error.
std::string sequential(const std::string& an, const std::string& x, const ReportStyle& style) {
    try {
        return test::referenceReport(an, x, style);
    } catch (const Error& err) {
        return errorText(err);
    }
}

// The Solve fed the x text in pieces cut at the given sizes (0: whole).
std::string parallel(const std::string& an, const std::string& x, const ReportStyle& style, unsigned threads,
                     std::size_t piece) {
    try {
        SolveControl control;
        control.threads = threads;
        Solve solve(style, control);
        for (std::size_t at = 0; at < x.size(); at += piece ? piece : x.size())
            solve.addXText(std::string_view(x).substr(at, piece ? piece : x.size()));
        std::vector<double> coefficients = readList(an, style.decimalMark);
        solve.finishX();
        solve.compute(std::move(coefficients));
        std::string report;
        solve.writeReport([&](std::string_view s) { report.append(s); });
        return report;
    } catch (const Error& err) {
        return errorText(err);
    }
}

SolveControl onThreads(unsigned threads) {
    SolveControl control;
    control.threads = threads;
    return control;
}

using BadLines = std::vector<std::pair<std::size_t, std::string>>;

// Random x lines: numbers of every size, blanks, lines broken by a lone CR,
// and the given bad lines at their places.
std::string xText(std::mt19937_64& rng, std::size_t lines, const BadLines& bad, char mark) {
    const char* extras[] = {"", "  ", "\t-0 ", "1e-400", "-4e15", "7\r", "\r"};
    std::string text;
    auto nextBad = bad.begin();
    for (std::size_t i = 0; i < lines; ++i) {
        if (nextBad != bad.end() && nextBad->first == i) {
            text += (nextBad++)->second;
        } else if (rng() % 16 == 0) {
            text += extras[rng() % std::size(extras)];
        } else {
            char buffer[40];
            const double v = std::ldexp(static_cast<double>(rng() >> 11) - 0x1p52, static_cast<int>(rng() % 200) - 150);
            char* end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
            std::replace(buffer, end, '.', mark);
            text.append(buffer, end);
        }
        text += "\r\n";
    }
    if (!text.empty() && rng() % 2) text.resize(text.size() - 2);  // last line without a break
    return text;
}

TEST(SolveTest, SameReportOrFirstErrorAsTheReference) {
    std::mt19937_64 rng(2024);
    struct Case {
        std::size_t lines;
        BadLines bad;
        const char* an;
        const char* errorLine = "";  // how the error ends: the pane line it names
    };
    const Case cases[] = {
        {0, {}, "1\r\n2"},
        {1, {}, "3"},
        {10, {}, "1\r\n-2\r\n0.5"},
        {1700, {}, "1\r\n1\r\n1"},                                         // about one smallest chunk of text
        {30000, {}, "0.25\r\n-3\r\n0\r\n7"},                               // many chunks
        {30000, {{29999, "abc"}}, "1", "@29999"},                          // a bad line at the very end
        {30000, {{15000, "1e400"}, {25000, "x"}}, "1", "@15000"},          // an x beyond the doubles first
        {30000, {{20000, " 1 2 "}, {25000, "1e400"}}, "1", "@20000"},      // a text that is no number first
        {30000, {{100, "1e200"}, {29000, "y"}}, "0\r\n0\r\n1", "@29000"},  // every x is read before F overflows
        {30000, {{100, "1e200"}}, "0\r\n0\r\n1", "@-1"},                   // F overflows: no line
        {30000, {{29000, "z"}}, "1\r\n\r\nq", "@2"},                       // the coefficients come first
        {240000, {{230000, "1;5"}}, "2\r\n3", "@230000"},                  // more text than one round
    };
    for (const Case& c : cases) {
        const char mark = rng() % 3 == 0 ? ',' : '.';
        const ReportStyle style{mark, rng() % 4 == 0};
        std::string an = c.an;
        std::replace(an.begin(), an.end(), '.', mark);
        const std::string x = xText(rng, c.lines, c.bad, mark);
        const std::string expected = sequential(an, x, style);
        ASSERT_EQ(expected.starts_with("error: "), !c.bad.empty()) << expected.substr(0, 80);
        EXPECT_TRUE(expected.ends_with(c.errorLine)) << expected;
        for (unsigned threads : {1u, 2u, 3u, 8u}) {
            const std::size_t piece = rng() % 3 == 0 ? 0 : 1 + rng() % 70000;
            SCOPED_TRACE(testing::Message() << c.lines << " lines, " << threads << " threads, pieces " << piece);
            const std::string got = parallel(an, x, style, threads, piece);
            ASSERT_EQ(got.size(), expected.size()) << got.substr(0, 200);
            EXPECT_TRUE(got == expected);
        }
    }
}

// The CSV layout: the reference's points, "." as the decimal mark whatever
// mark the lists are read with, LF endings; on one thread or several.
TEST(SolveTest, CsvRowsAreTheReferencesPoints) {
    std::mt19937_64 rng(9);
    const std::string x = xText(rng, 30000, {}, ',');
    for (const bool hex : {false, true}) {
        test::ReferenceSolve reference;
        ByteLineList ignored;
        reference.solve(ByteLineList("1\r\n-2,5\r\n0,125"), ByteLineList(x), ignored, true, {',', hex});
        std::string expected(kCsvHeader);
        char number[kNumber];
        for (std::size_t j = 0; j < reference.xValues().size(); ++j) {
            expected.append(number, numberText(reference.xValues()[j], {'.', hex}, number)) += ',';
            expected.append(number, numberText(reference.fxValues()[j], {'.', hex}, number)) += '\n';
        }
        for (const unsigned threads : {1u, 3u}) {
            const ReportStyle style{',', hex, ReportLayout::csv};
            EXPECT_TRUE(test::solveReport("1\r\n-2,5\r\n0,125", x, style, onThreads(threads)) == expected) << hex;
        }
    }
}

// A pane with no lines: the x values of the earlier Solve are taken again.
TEST(SolveTest, ValuesTakenAsTheyAreGiveTheSameReport) {
    std::mt19937_64 rng(5);
    test::ReferenceSolve e;
    ByteLineList result;
    e.solve(ByteLineList("1\r\n2"), ByteLineList(xText(rng, 40000, {}, '.')), result, true, {});
    e.solve(ByteLineList("3\r\n-1"), ByteLineList(""), result, true, {});
    Solve solve({});
    solve.setX(e.xValues());
    solve.compute({3, -1});
    EXPECT_TRUE(solve.reportText() == result.text());
}

// Every odd chunk fails, the first of them last: its error is the one raised
// (by finish for a job started ahead), and an ordered job delivers
// everything before it, in order. Then the pool takes the next job.
TEST(WorkerPoolTest, TheLowestFailingChunkDecides) {
    enum Kind { unordered, ordered, started };
    for (const Kind kind : {unordered, ordered, started}) {
        for (unsigned threads : {1u, 2u, 4u}) {
            SCOPED_TRACE(testing::Message() << threads << " threads, kind " << kind);
            WorkerPool pool(threads);
            std::vector<std::size_t> delivered;
            const std::function<void(std::size_t)> work = [](std::size_t i) {
                if (i == 1) std::this_thread::sleep_for(std::chrono::milliseconds(30));
                if (i % 2 == 1) throw std::size_t{i};
            };
            try {
                if (kind == ordered) {
                    pool.runOrdered(64, 8, work, [&](std::size_t i) { delivered.push_back(i); });
                } else if (kind == started) {
                    pool.start(64, work);
                    pool.finish();
                } else {
                    pool.run(64, work);
                }
                ADD_FAILURE() << "no error";
            } catch (std::size_t failed) {
                EXPECT_EQ(failed, 1u);
            }
            EXPECT_EQ(delivered, kind == ordered ? std::vector<std::size_t>{0} : std::vector<std::size_t>{});
            std::atomic<std::size_t> done{0};
            pool.run(16, [&](std::size_t) { ++done; });
            EXPECT_EQ(done.load(), 16u);
        }
    }
}

TEST(SolveTest, CancelEndsTheSolveWithAbort) {
    std::mt19937_64 rng(7);
    const std::string x = xText(rng, 40000, {}, '.');
    const std::size_t whole = parallel("1\r\n2", x, {}, 2, 0).size();
    for (const SolveStage stage : {SolveStage::reading, SolveStage::computing, SolveStage::writing}) {
        SCOPED_TRACE(static_cast<int>(stage));
        std::atomic<bool> cancel{false};
        SolveControl control;
        control.threads = 2;
        control.cancel = &cancel;
        control.progress = [&](SolveStage s, std::size_t, std::size_t) { cancel = cancel || s == stage; };
        Solve solve({}, control);
        std::string report;
        EXPECT_THROW(
            {
                solve.addXText(x);
                solve.finishX();
                solve.compute({1, 2});
                solve.writeReport([&](std::string_view s) { report.append(s); });
            },
            AbortError);
        if (stage == SolveStage::writing) {
            EXPECT_LT(report.size(), whole);
        } else {
            EXPECT_TRUE(report.empty()) << report.size();
        }
    }
}

// The threads of this process.
std::size_t threadCount() {
    const auto tasks = std::filesystem::directory_iterator("/proc/self/task");
    return static_cast<std::size_t>(std::distance(begin(tasks), end(tasks)));
}

// The work decides whether threads start: ten values stay on the calling
// thread whatever the thread count, a few more with many coefficients go to
// the helpers. The one-thread case gives the same.
TEST(SolveTest, TheWorkNotTheCountDecidesTheThreads) {
    std::string an, x10, x64;
    for (int i = 0; i < 900; ++i) an += (i % 2 ? "-0.5\r\n" : "0.25\r\n");
    for (int j = 0; j < 64; ++j) (j < 10 ? x10 : x64) += std::to_string(j % 19 - 9) + "e-1\r\n";
    x64 = x10 + x64;
    struct Case {
        const char* what;
        std::string an, x;
        bool threads;
    };
    const Case cases[] = {{"10 values, 3 coefficients", "1\r\n2\r\n3", x10, false},
                          {"10 values, 900 coefficients", an, x10, false},
                          {"64 values, 900 coefficients", an, x64, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t before = threadCount();
        SolveControl control;
        control.threads = 4;
        Solve solve({}, control);
        solve.addXText(c.x);
        solve.finishX();
        solve.compute(readList(c.an, '.'));
        EXPECT_EQ(threadCount() > before, c.threads);
        EXPECT_EQ(solve.reportText(), sequential(c.an, c.x, {}));
        EXPECT_EQ(test::solveReport(c.an, c.x, {}, onThreads(1)), sequential(c.an, c.x, {}));
    }
}

// An F that overflows names its x: the index in the list and the pane line.
TEST(SolveTest, AnOverflowNamesItsX) {
    std::string x;
    for (int j = 0; j < 30000; ++j) x += j == 20000 ? "\r\n1e200\r\n" : "2\r\n";
    for (const unsigned threads : {1u, 3u}) {
        Solve solve({}, onThreads(threads));
        solve.addXText(x);
        solve.finishX();
        try {
            solve.compute({0, 0, 1});
            ADD_FAILURE() << "no error";
        } catch (const OverflowError& e) {
            EXPECT_EQ(e.lineIndex(), -1);
            EXPECT_EQ(e.valueIndex(), 20000);
            EXPECT_EQ(e.valueLine(), 20001);
        }
    }
}

// The reference itself: a term and a value, and zero outside its lists.
TEST(ReferenceSolveTest, IndicesOutsideTheListsGiveZero) {
    test::ReferenceSolve e;
    ByteLineList result;
    e.solve(ByteLineList("2\r\n3"), ByteLineList("10"), result, true, {});
    EXPECT_EQ(e.termAt(1, 0) + e.valueAt(0), 62);
    for (auto [i, j] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 1}}) EXPECT_EQ(e.termAt(i, j), 0.0);
    EXPECT_EQ(e.valueAt(-1) + e.valueAt(1), 0.0);
}

}  // namespace
}  // namespace quill
