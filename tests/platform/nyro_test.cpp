#include "nyro/nyro.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>

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

// A type with its conversions in one step registers all of it or nothing: a
// taken name, a taken pair, or a pair given twice leaves the repository as it
// was and deletes the conversions.
TEST(ObjectSystem, ATypeWithItsConversionsRegistersAllOrNothing)
{
    using R = nyro::COSTypeRepository;
    nyro::COSNameID any("any"), string("string"), taken("batch taken"), pair("batch pair"), twice("batch twice");
    R::addGlobalType(new ProbeType("batch taken"));
    R::addConversion(string, pair, new CountingConversion);
    const int alive = CountingConversion::alive;
    struct Row {
        const char* name;
        nyro::COSNameID second;
    };
    for (const Row& row : {Row{"batch taken", string}, Row{"batch pair", string}, Row{"batch twice", any}}) {
        auto* type = new ProbeType(row.name);
        EXPECT_THROW(R::addGlobalType(type, {{any, new CountingConversion}, {row.second, new CountingConversion}},
                                      nullptr),
                     nyro::COSException)
            << row.name;
        delete type;
        EXPECT_EQ(CountingConversion::alive, alive) << row.name;
    }
    EXPECT_FALSE(R::getType(pair));
    EXPECT_FALSE(R::getType(twice));
    EXPECT_EQ(R::conversionsOf(pair), std::vector<std::string>{"string"});
    EXPECT_EQ(R::conversionsOf(taken), std::vector<std::string>{});

    nyro::COSNameID fresh("batch fresh");
    R::addGlobalType(new ProbeType("batch fresh"), {{any, new CountingConversion}, {string, new CountingConversion}},
                     nullptr);
    EXPECT_TRUE(R::getType(fresh));
    EXPECT_EQ(R::conversionsOf(fresh), (std::vector<std::string>{"any", "string"}));
    EXPECT_EQ(CountingConversion::alive, alive + 2);
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

// Freed small blocks are handed out again: a cleared block must come back
// zeroed over its whole length whatever the block held before, at every size
// around the kept sizes, and blocks freed by a thread that ends afterwards
// are neither lost from the count nor used again after it.
TEST(Utility, ReusedBlocksComeBackClearedWhole)
{
    for (std::size_t size : {1, 8, 15, 16, 17, 24, 25, 31, 32, 33, 40, 41, 48, 56, 57, 64, 65, 100}) {
        for (int round = 0; round < 3; ++round) {
            auto* dirty = static_cast<unsigned char*>(utMalloc(size));
            ASSERT_NE(dirty, nullptr);
            std::memset(dirty, 0xa5, size);
            utFree(dirty);
        }
        auto* clean = static_cast<unsigned char*>(utCalloc(size, 1));
        ASSERT_NE(clean, nullptr);
        EXPECT_EQ(std::count(clean, clean + size, 0), static_cast<long>(size)) << size << " bytes";
        utFree(clean);
    }
    const long before = ut::test::liveBlocks();
    void* fromMain = utMalloc(24);
    std::thread([&] {
        utFree(fromMain);
        void* own = utCalloc(24, 1);
        utFree(own);
    }).join();
    EXPECT_EQ(ut::test::liveBlocks(), before);
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
