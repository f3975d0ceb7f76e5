// The GUI-objects library's handle table.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "gui_objects/handles.h"

namespace {

struct Record {
    std::int32_t type;
};

TEST(HandleTable, OtherHandlesAreNeverIntegersAndNeverReused)
{
    Record r{5};
    double a = new_handle(&r);
    double b = new_handle(&r);
    EXPECT_NE(a, std::floor(a));
    EXPECT_NE(b, std::floor(b));
    EXPECT_NE(a, b);
    destroy_handle(a);
    double c = new_handle(&r);
    EXPECT_NE(c, a) << "a destroyed handle is not given again";
    EXPECT_EQ(handle2pointer(a), nullptr);
    EXPECT_EQ(handle2pointer(c), &r);
    EXPECT_EQ(new_handle(nullptr), -1.0);
}

TEST(HandleTable, FigureHandlesAreTheSmallestFreePositiveInteger)
{
    Record r1{1}, r2{2}, r3{3}, other{4};
    new_handle(&other); // non-integer handles do not take integers
    EXPECT_EQ(new_figure_handle(&r1), 1.0);
    EXPECT_EQ(new_figure_handle(&r2), 2.0);
    EXPECT_EQ(assign_figure_handle(&r3, 4), 4.0);
    EXPECT_EQ(new_figure_handle(&r3), 3.0);
    EXPECT_EQ(new_figure_handle(&r3), 5.0) << "4 was assigned";
    destroy_handle(2.0);
    EXPECT_EQ(new_figure_handle(&r1), 2.0);
    EXPECT_EQ(new_figure_handle(nullptr), -1.0);
}

struct AssignCase {
    int n;
    bool nullRecord;
    double expected;
};

class Assign : public ::testing::TestWithParam<AssignCase> {};

TEST_P(Assign, BindsFreeNonNegativeIntegersOnly)
{
    Record taken{1}, r{2};
    assign_figure_handle(&taken, 7);
    const AssignCase& c = GetParam();
    EXPECT_EQ(assign_figure_handle(c.nullRecord ? nullptr : &r, c.n), c.expected);
    EXPECT_EQ(handle2pointer(7), &taken) << "a refused assignment leaves the binding";
}

INSTANTIATE_TEST_SUITE_P(Numbers, Assign,
                         ::testing::Values(AssignCase{0, false, 0.0}, AssignCase{3, false, 3.0},
                                           AssignCase{7, false, -1.0}, AssignCase{-1, false, -1.0},
                                           AssignCase{3, true, -1.0}));

TEST(HandleTable, RebindDestroyAndRecordTypes)
{
    Record a{11}, b{12};
    double h = new_handle(&a);
    EXPECT_EQ(get_any_object_type(handle2pointer(h)), 11);
    rebind_handle(h, &b);
    EXPECT_EQ(get_any_object_type(handle2pointer(h)), 12);
    rebind_handle(h, nullptr);
    EXPECT_EQ(handle2pointer(h), nullptr);
    EXPECT_EQ(get_any_object_type(nullptr), -1);
    destroy_handle(h);           // not bound: nothing
    destroy_handle(std::nan("")); // never a key
    EXPECT_EQ(handle2pointer(std::nan("")), nullptr);
    std::size_t bound = gui_objects::test::boundHandles();
    rebind_handle(std::nan(""), &a);
    EXPECT_EQ(gui_objects::test::boundHandles(), bound);
}

} // namespace
