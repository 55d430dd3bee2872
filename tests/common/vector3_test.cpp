#include "common/vector3.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Vector3Arithmetic, SumDifferenceAndScaling) {
    const Vector3 a(1, 2, 3), b(0.5f, -1, 4);
    EXPECT_EQ(a + b, Vector3(1.5f, 1, 7));
    EXPECT_EQ(a - b, Vector3(0.5f, 3, -1));
    EXPECT_EQ(a * 2.0, Vector3(2, 4, 6));
    // The factor is rounded to float before it multiplies.
    const double factor = 0.1;
    EXPECT_EQ((Vector3(3, 0, 0) * factor).x, 3.0f * static_cast<float>(factor));
}

TEST(Vector3Arithmetic, DivisionByZeroLeavesTheVectorUnchanged) {
    const Vector3 v(1, -2, 3);
    EXPECT_EQ(v / 0.0, v);
    // A divisor that rounds to 0 in single precision counts as 0 too.
    EXPECT_EQ(v / 1e-50, v);
    EXPECT_EQ(v / 2.0, Vector3(0.5f, -1, 1.5f));
}

TEST(Vector3Arithmetic, LengthIsComputedInDouble) {
    EXPECT_DOUBLE_EQ(Vector3(3, 4, 12).length(), 13.0);
    // 1e30 squared overflows a float but not a double.
    EXPECT_NEAR(Vector3(1e30f, 0, 0).length(), 1e30, 1e24);
}

TEST(Vector3Arithmetic, NormalizeKeepsTheNullVectorNull) {
    EXPECT_EQ(normalize(Vector3()), Vector3());
    const Vector3 n = normalize(Vector3(0, 3, 4));
    EXPECT_FLOAT_EQ(n.y, 0.6f);
    EXPECT_FLOAT_EQ(n.z, 0.8f);
}

TEST(Vector3Arithmetic, CrossProductFollowsTheRightHandRule) {
    EXPECT_EQ(cross(Vector3(1, 0, 0), Vector3(0, 1, 0)), Vector3(0, 0, 1));
    EXPECT_EQ(cross(Vector3(0, 1, 0), Vector3(1, 0, 0)), Vector3(0, 0, -1));
    // Camera use: direction × up gives the step to the right.
    EXPECT_EQ(cross(Vector3(-1, 0, 0), Vector3(0, 0, 1)), Vector3(0, 1, 0));
}

TEST(Vector3Names, NamesSixComponentsAndFallsBackToXx) {
    const Vector3 v;
    const NamesHelper& names = v;
    EXPECT_EQ(names.component_count(), 6);
    const char* expected[] = {"X", "Y", "Z", "J", "K", "L"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(names.component_name(i), expected[i]);
    }
    EXPECT_EQ(names.component_name(6), "xx");
    EXPECT_EQ(names.component_name(-1), "xx");
}
