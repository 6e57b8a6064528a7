// The integer model against the x87 unit on a few million random operands;
// tools/ext80_differential runs the same comparison as long as wanted.

#include "ext80_differential.h"

#include <gtest/gtest.h>

#ifdef QUILL_HAVE_X87_EXT80

namespace quill::ext80diff {

// Names the operation in test output.
void PrintTo(Op op, std::ostream* os) { *os << opName(op); }

namespace {

class Ext80Differential : public testing::TestWithParam<Op> {};

TEST_P(Ext80Differential, ModelMatchesHardwareBitForBit) {
    // Two seeds: a fixed one that always replays, and one that moves with
    // the operation so each gets its own operands.
    Outcome outcome;
    Runner(0x5EED0000u + uint64_t(GetParam()), outcome).run(GetParam(), 1'000'000);
    Runner(0xC0FFEEu * (uint64_t(GetParam()) + 1), outcome).run(GetParam(), 1'000'000);
    std::string examples;
    for (const std::string& e : outcome.examples) examples += "\n  " + e;
    EXPECT_EQ(outcome.mismatches, 0u) << "of " << outcome.runs << " runs:" << examples;
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, Ext80Differential, testing::ValuesIn(kAllOps),
                         [](const testing::TestParamInfo<Op>& info) { return std::string(opName(info.param)); });

}  // namespace
}  // namespace quill::ext80diff

#endif
