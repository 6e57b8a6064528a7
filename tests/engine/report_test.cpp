#include <gtest/gtest.h>

#include <string>

#include "common/error.h"
#include "engine/evaluator.h"

namespace quill {
namespace {

const std::string kReady = "就绪Ready\r\n";
const std::string kCounts00 = "An的数量 An Items Count =0\r\nX的数量 X Count =0\r\n";

std::string solveInto(Evaluator& e, const std::string& an, const std::string& x, std::string resultText,
                      bool autoClear = true) {
    ByteLineList result(std::move(resultText));
    e.solve(ByteLineList(an), ByteLineList(x), result, autoClear, {});
    return result.text();
}

TEST(ReportTest, ExampleReport) {
    Evaluator e;
    EXPECT_EQ(solveInto(e, "1\r\n2\r\n3\r\n", "2\r\n0.5\r\n", kReady),
              "An的数量 An Items Count =3\r\n"
              "X的数量 X Count =2\r\n"
              "A[0]=1\r\nA[1]=2\r\nA[2]=3\r\n"
              "X[0]=2\r\nX[1]=0.5\r\n"
              "F(2)=17\r\nF(0.5)=2.75\r\n");
}

TEST(ReportTest, ReportLines) {
    struct Case {
        const char *an, *x;
        std::string report;
    };
    const Case cases[] = {
        {"", "", kCounts00},
        {"\r\n5\r\n  \r\n6", "1",
         "An的数量 An Items Count =2\r\nX的数量 X Count =1\r\nA[0]=5\r\nA[1]=6\r\nX[0]=1\r\nF(1)=11\r\n"},
        {"", "1\r\n-1",
         "An的数量 An Items Count =0\r\nX的数量 X Count =2\r\nX[0]=1\r\nX[1]=-1\r\nF(1)=0\r\nF(-1)=0\r\n"},
        {"0\r\n1", "-1",
         "An的数量 An Items Count =2\r\nX的数量 X Count =1\r\nA[0]=0\r\nA[1]=1\r\nX[0]=-1\r\nF(-1)=-1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.an);
        Evaluator e;
        EXPECT_EQ(solveInto(e, c.an, c.x, kReady), c.report);
    }
}

TEST(ReportTest, FailingSolveLeavesTheResultPaneAlone) {
    struct Case {
        const char *an, *x, *message;
    };
    const Case cases[] = {
        {"1\r\nabc", "1", "'abc' is not a valid floating point value"},
        {"1", "1\r\nabc", "'abc' is not a valid floating point value"},
        {"0\r\n1e200", "1e200", "Floating point overflow"},      // a product
        {"1.7e308\r\n1.7e308", "1", "Floating point overflow"},  // a sum
        {"1", "2\r\n1e400", "Floating point overflow"},          // a stored x value
    };
    const std::string before = kReady + "earlier\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.an);
        Evaluator e;
        ByteLineList result(before);
        try {
            e.solve(ByteLineList(c.an), ByteLineList(c.x), result, true, {});
            ADD_FAILURE() << "no error";
        } catch (const Error& err) {
            EXPECT_EQ(err.message(), c.message);
        }
        EXPECT_EQ(result.text(), before);
    }
}

TEST(ReportTest, OverflowWhileComputingKeepsTheNewListsButNoResults) {
    Evaluator e;
    solveInto(e, "1", "1\r\n2", kReady);
    EXPECT_THROW(solveInto(e, "0\r\n1e300", "1\r\n1e300\r\n5", kReady), OverflowError);
    EXPECT_EQ(e.coefficientCount(), 2);
    EXPECT_EQ(e.xCount(), 3);
    EXPECT_TRUE(e.fxValues().empty());
    e.release();
    EXPECT_EQ(e.coefficientCount() + e.xCount() + static_cast<int>(e.fxValues().size()), 0);
}

TEST(ReportTest, EmptyPaneReusesTheListAndBlankPaneEmptiesIt) {
    Evaluator e;
    solveInto(e, "1\r\n2", "3", kReady);
    EXPECT_EQ(solveInto(e, "", "4", kReady),
              "An的数量 An Items Count =2\r\nX的数量 X Count =1\r\nA[0]=1\r\nA[1]=2\r\nX[0]=4\r\nF(4)=9\r\n");
    EXPECT_EQ(solveInto(e, "\r\n", "", kReady),
              "An的数量 An Items Count =0\r\nX的数量 X Count =1\r\nX[0]=4\r\nF(4)=0\r\n");
}

TEST(ReportTest, WithoutAutoClearReportsAccumulate) {
    Evaluator e;
    std::string text = solveInto(e, "", "", kReady, false);
    EXPECT_EQ(text, kReady + kCounts00);
    EXPECT_EQ(solveInto(e, "", "", text, false), kReady + kCounts00 + kCounts00);
    // A pane whose text ends without a break still gets each line on its own;
    // the text then ends without one too.
    EXPECT_EQ(solveInto(e, "", "", "typed", false), "typed\r\n" + kCounts00.substr(0, kCounts00.size() - 2));
}

}  // namespace
}  // namespace quill
