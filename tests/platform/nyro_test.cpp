#include "nyro/nyro.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"

namespace {

// A minimal type of the host's own kind, to exercise the repository.
class ProbeType : public nyro::HostScalarType {
public:
    explicit ProbeType(const char* name) : HostScalarType(name, Kind::Signed, 4) {}
};

struct CountingConversion : nyro::COSTypeConversion {
    static inline int alive = 0;
    CountingConversion() { ++alive; }
    ~CountingConversion() override { --alive; }
    nyro::COSValue to(nyro::COSValue v) const override { return v; }
    nyro::COSValue from(nyro::COSValue v) const override { return v; }
};

TEST(ObjectSystem, NamesAreInterned)
{
    std::string a = "Limits";
    EXPECT_EQ(nyro::COSNameID(a), nyro::COSNameID("Limits"));
    EXPECT_NE(nyro::COSNameID("Limits"), nyro::COSNameID("limits"));
}

TEST(ObjectSystem, SecondTypeOrConversionOfANameIsRefused)
{
    nyro::COSTypeRepository::addGlobalType(new ProbeType("probe"));
    auto* duplicate = new ProbeType("probe");
    EXPECT_THROW(nyro::COSTypeRepository::addGlobalType(duplicate), nyro::COSException);
    delete duplicate; // a refused type stays its creator's
    nyro::COSNameID any("any"), probe("probe");
    nyro::COSTypeRepository::addConversion(any, probe, new CountingConversion);
    EXPECT_THROW(nyro::COSTypeRepository::addConversion(any, probe, new CountingConversion), nyro::COSException);
    EXPECT_EQ(CountingConversion::alive, 1) << "the refused conversion is deleted, the first one kept";
    EXPECT_EQ(nyro::COSTypeRepository::conversionsOf(probe), std::vector<std::string>{"any"});
}

TEST(ObjectSystem, DataTypeAllocationFailureThrowsOutOfMemory)
{
    ut::test::AllocationFailure fail(1);
    EXPECT_THROW(new ProbeType("never"), nyro::COSOutOfMemoryException);
}

TEST(ObjectSystem, AnyToStringWritesTheArrayText)
{
    nyro::installHostTypes();
    qxArray* a = vxtest::rowVector({0, 10});
    nyro::COSValue text = vxtest::conversion("any", "string")->from(nyro::COSValue::fromPointer(a));
    EXPECT_STREQ(nyro::pointerValue<const char*>(text), "[0 10]");
    utFree(nyro::pointerValue<char*>(text));
    qxDestroyArray(a);
}

TEST(Utility, FailuresSkipThenFailThenStop)
{
    ut::test::AllocationFailure fail(2, 1);
    void* first = utMalloc(8);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(utCalloc(8, 1), nullptr);
    EXPECT_EQ(utStrdup("x"), nullptr);
    void* after = utMalloc(8);
    EXPECT_NE(after, nullptr);
    utFree(first);
    utFree(after);
}

TEST(Utility, ClassNumbersAndDerivation)
{
    EXPECT_EQ(utGetClassNum("NoSuchClass"), -1);
    int base = utRegisterObjectClass("BaseThing", -1, 0);
    int derived = utRegisterObjectClass("DerivedThing", -1, base);
    EXPECT_EQ(utRegisterObjectClass("BaseThing", -1, 0), base) << "registering again returns the same number";
    EXPECT_EQ(utGetClassNum("DerivedThing"), derived);
    EXPECT_TRUE(utInstanceOf(derived, base));
    EXPECT_FALSE(utInstanceOf(base, derived));
}

} // namespace
