// Progress figures, the realm of a password request and header numbers.
#include "update/TransferValues.h"

#include <gtest/gtest.h>

namespace {

using namespace quendra;

TEST(TransferValues, Progress) {
    struct Row {
        ProgressInput input;
        int percent;
        std::uint32_t elapsed;
        std::uint32_t left;
        float rate;
    };
    const Row rows[] = {
        {{0, 0, 0, 0}, 0, 0, 0, 0},
        {{512, 1024, 0, 500}, 50, 0, 0, 0.5f},
        {{1024, 4096, 0, 2000}, 25, 2, 6, 0.5f},
        // Halves round to even: 12.5 -> 12; the range start counts on both sides.
        {{25, 200, 0, 0}, 12, 0, 0, 25.0f / 1024},
        {{50, 100, 100, 0}, 75, 0, 0, 50.0f / 1024},
        // Without a size (no Content-Length) nothing is done yet and nothing is left.
        {{4096, 0, 0, 3000}, 0, 3, 0, 4.0f / 3},
        // More than announced: at most 100 %.
        {{300, 100, 0, 0}, 100, 0, 0, 300.0f / 1024},
    };
    for (const auto& row : rows) {
        const auto figures = ComputeProgress(row.input);
        EXPECT_EQ(figures.percentsDone, row.percent) << row.input.bytesRead;
        EXPECT_EQ(figures.elapsedTime, row.elapsed);
        EXPECT_EQ(figures.estimatedTimeLeft, row.left);
        EXPECT_FLOAT_EQ(figures.transferRate, row.rate);
    }
}

TEST(TransferValues, RealmAndNumbers) {
    EXPECT_EQ(RealmOf("Basic realm=\"Update area\""), "Update area");
    EXPECT_EQ(RealmOf("Basic realm=unquoted"), "");
    EXPECT_EQ(RealmOf("Basic realm=\"\""), "");
    EXPECT_EQ(DecimalValue(" 1234 "), 1234u);
    EXPECT_EQ(DecimalValue("12a"), std::nullopt);
    EXPECT_EQ(DecimalValue(""), std::nullopt);
    EXPECT_EQ(Saturate32(5'000'000'000ull), 4294967295u);
}

}  // namespace
