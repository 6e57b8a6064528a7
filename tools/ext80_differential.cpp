// Compares the integer model of 80-bit arithmetic with the x87 unit on as
// many random operands as asked for, every operation, and prints the first
// mismatches. Usage: ext80_differential [operands per operation] [seed]
// Exit status 1 on any mismatch.

#include "../tests/numtext/ext80_differential.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#ifdef QUILL_HAVE_X87_EXT80

int main(int argc, char** argv) {
    using namespace quill::ext80diff;
    const uint64_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100'000'000ull;
    const uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : uint64_t(std::time(nullptr));
    std::printf("%llu operands per operation, seed %llu\n", (unsigned long long)count, (unsigned long long)seed);
    bool failed = false;
    for (const Op op : kAllOps) {
        const auto start = std::chrono::steady_clock::now();
        Outcome outcome;
        Runner(seed * 131 + uint64_t(op), outcome).run(op, count);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-15s %12llu runs %8llu mismatches %7.1f s\n", opName(op), (unsigned long long)outcome.runs,
                    (unsigned long long)outcome.mismatches, seconds);
        for (const std::string& e : outcome.examples) std::printf("  %s\n", e.c_str());
        std::fflush(stdout);
        failed |= outcome.mismatches != 0;
    }
    return failed ? 1 : 0;
}

#else

int main() {
    std::puts("ext80_differential needs the x87 80-bit long double");
    return 0;
}

#endif
