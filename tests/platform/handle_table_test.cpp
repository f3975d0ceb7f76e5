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
    // Assigning binds a free non-negative integer only, and a refusal leaves the binding.
    EXPECT_EQ(assign_figure_handle(&r1, 4), -1.0);
    EXPECT_EQ(handle2pointer(4), &r3);
    EXPECT_EQ(assign_figure_handle(&r1, -1), -1.0);
    EXPECT_EQ(assign_figure_handle(nullptr, 9), -1.0);
    EXPECT_EQ(assign_figure_handle(&r1, 0), 0.0);
}

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
    destroy_handle(std::nan("")); // never a key
    EXPECT_EQ(handle2pointer(std::nan("")), nullptr);
    std::size_t bound = gui_objects::test::boundHandles();
    rebind_handle(std::nan(""), &a);
    EXPECT_EQ(gui_objects::test::boundHandles(), bound);
}

} // namespace
