#include <gtest/gtest.h>

#include <string>

#include "common/error.h"
#include "solve_report.h"

namespace quill {
namespace {

using test::solveReport;

const std::string kCounts00 = "An的数量 An Items Count =0\r\nX的数量 X Count =0\r\n";

TEST(ReportTest, ExampleReport) {
    EXPECT_EQ(solveReport("1\r\n2\r\n3\r\n", "2\r\n0.5\r\n", {}),
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
        EXPECT_EQ(solveReport(c.an, c.x, {}), c.report);
    }
}

TEST(ReportTest, AFailingSolveRaisesItsFirstError) {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.an);
        try {
            solveReport(c.an, c.x, {});
            ADD_FAILURE() << "no error";
        } catch (const Error& err) {
            EXPECT_EQ(err.message(), c.message);
        }
    }
}

}  // namespace
}  // namespace quill
