// References to Java objects of the Java bridge.
#include <gtest/gtest.h>

#include <string>

#include "gui_objects/gui_objects.h"
#include "javabridge/javabridge.h"
#include "support/host_fixture.h"
#include "support/text_arrays.h"

namespace {

struct ClosestCase {
    const char* name;
    qxArray* (*make)();
    const char* javaClass;
};

class Closest : public vxtest::HostTest, public ::testing::WithParamInterface<ClosestCase> {};

TEST_P(Closest, PicksTheJavaClassAndConvertsBack)
{
    gui_objects::QxArrayPtr a(GetParam().make());
    jobject j = javaConvertKeldarToClosestJavaObject(a.get());
    ASSERT_NE(j, nullptr);
    EXPECT_STREQ(javabridge::objectOf(j)->javaClass(), GetParam().javaClass);
    a.release();
    qxReclaimTemporaries(); // the Java object keeps what it holds past the host call
    gui_objects::QxArrayPtr again(GetParam().make());
    gui_objects::QxArrayPtr back(javaConvertJavaObjectToClosestKeldarArray(j));
    EXPECT_TRUE(qxAreMatricesEqual(back.get(), again.get()));
    kdjDeleteGlobalRef(j);
}

INSTANTIATE_TEST_SUITE_P(
    Arrays, Closest,
    ::testing::Values(ClosestCase{"Text", [] { return qxCreateString("abc"); }, "java.lang.String"},
                      ClosestCase{"Double", [] { return qxCreateDoubleScalar(2); }, "java.lang.Double"},
                      ClosestCase{"Logical", [] { return qxCreateLogicalScalar(true); }, "java.lang.Boolean"},
                      ClosestCase{"Row", [] { return vxtest::rowVector({1, 2}); }, javabridge::kArrayReferenceClass},
                      ClosestCase{"Int8", [] { return qxCreateNumericMatrix(1, 1, qxINT8_CLASS, qxREAL); },
                                  javabridge::kArrayReferenceClass},
                      ClosestCase{"CharMatrix", [] { return vxtest::literal("['ab';'cd']"); }, javabridge::kArrayReferenceClass}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JavaReferences, EveryReferenceIsDistinctAndDeletingOneLeavesTheOthers)
{
    gui_objects::QxArrayPtr a(qxCreateString("x"));
    std::size_t before = javabridge::liveReferences();
    jobject j = javaConvertKeldarToClosestJavaObject(a.get());
    jobject g = kdjNewGlobalRef(j, false);
    EXPECT_NE(g, j);
    EXPECT_TRUE(javabridge::isSameObject(g, j));
    jobject h = kdjNewGlobalRef(g, true);
    EXPECT_EQ(javabridge::objectOf(g), nullptr) << "the source reference was deleted";
    EXPECT_TRUE(javabridge::isSameObject(h, j));
    EXPECT_EQ(javabridge::liveReferences(), before + 2);
    kdjDeleteGlobalRef(j);
    gui_objects::QxArrayPtr back(javaConvertJavaObjectToClosestKeldarArray(h));
    EXPECT_EQ(qxArrayToStdString(back.get()), "x") << "the object lives while a reference remains";
    kdjDeleteGlobalRef(h);
    kdjDeleteGlobalRef(h);
    EXPECT_EQ(javabridge::liveReferences(), before);
    EXPECT_EQ(kdjNewGlobalRef(h, false), nullptr);
    EXPECT_EQ(javaConvertJavaObjectToClosestKeldarArray(h), nullptr);
    EXPECT_EQ(javaConvertKeldarToClosestJavaObject(nullptr), nullptr);
    EXPECT_FALSE(javabridge::isSameObject(nullptr, nullptr));
}

} // namespace
