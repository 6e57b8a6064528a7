// Prints what the analysis library finds, every number as a hexadecimal
// double, for check_analysis.py to compare with exact arithmetic:
//   analysis_probe roots A0 A1 …      "zero", or one line a root: re im multiplicity
//   analysis_probe turning A0 A1 …    "constant", or one line a point: x fx kind multiplicity
//   analysis_probe digits A0 A1 … -- X0 X1 … [-- Y0 Y1 …]
//       one line an x: reported exact digits; the reported values are the
//       Solve's F(x), or the Y given
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/roots.h"
#include "analysis/trusted_digits.h"
#include "analysis/turning_points.h"
#include "probe_numbers.h"

namespace {

using quill::probe::hex;
using quill::probe::read;

void line(const std::string& text) { std::fputs((text + "\n").c_str(), stdout); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string_view command = argv[1];
    std::vector<double> lists[3];
    int list = 0;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            list = std::min(list + 1, 2);
            continue;
        }
        lists[list].push_back(read(argv[i]));
    }
    const std::vector<double>& a = lists[0];
    const std::vector<double>& x = lists[1];
    if (command == "roots") {
        const quill::RootList list = quill::findRoots(a);
        if (list.zeroPolynomial) line("zero");
        for (const quill::PolynomialRoot& r : list.roots)
            line(hex(r.re) + " " + hex(r.im) + " " + std::to_string(r.multiplicity));
    } else if (command == "turning") {
        const quill::TurningPointList list = quill::findTurningPoints(a);
        if (list.constant) line("constant");
        for (const quill::TurningPoint& p : list.points)
            line(hex(p.x) + " " + hex(p.fx) + " " + std::string(quill::turningKindName(p.kind)) + " " +
                 std::to_string(p.multiplicity));
    } else if (command == "digits") {
        std::vector<double> reported = lists[2], exact(x.size());
        std::vector<std::uint8_t> digits(x.size());
        if (reported.empty()) {
            reported.resize(x.size());
            quill::checkSolveDigits(a, x, reported, exact, digits);
        } else {
            quill::checkDigits(a, x, reported, exact, digits);
        }
        for (std::size_t j = 0; j < x.size(); ++j)
            line(hex(reported[j]) + " " + hex(exact[j]) + " " + std::to_string(digits[j]));
    } else {
        return 2;
    }
    return 0;
}
