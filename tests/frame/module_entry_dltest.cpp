// The library as the host sees it: loaded with dlopen, initialised through its
// module entry point.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "frame/registry.h"
#include "javabridge/javabridge.h"
#include "nyro/nyro.h"

namespace {

struct Module {
    void* handle = nullptr;
    template <class F>
    F symbol(const char* name)
    {
        void* s = dlsym(handle, name);
        EXPECT_NE(s, nullptr) << name;
        return reinterpret_cast<F>(s);
    }
    void initialize() { symbol<void (*)()>("KDInitialize_vxdatatypes")(); }
    void terminate() { symbol<void (*)()>("KDTerminate_vxdatatypes")(); }
};

class ModuleEntry : public ::testing::Test {
protected:
    void SetUp() override
    {
        nyro::installHostTypes();
        javabridge::install();
        hostTypes = nyro::COSTypeRepository::globalTypes().size();
        module.handle = dlopen(VX_LIBRARY_PATH, RTLD_NOW | RTLD_GLOBAL);
        ASSERT_NE(module.handle, nullptr) << dlerror();
    }
    std::size_t libraryTypes() const { return nyro::COSTypeRepository::globalTypes().size() - hostTypes; }
    Module module;
    std::size_t hostTypes = 0;
};

TEST_F(ModuleEntry, LoadingRegistersNothingAndTheEntryPointRegistersOnce)
{
    EXPECT_EQ(libraryTypes(), 0u);
    EXPECT_EQ(nyro::COSTypeRepository::getConversion(nyro::COSNameID("string"), nyro::COSNameID("int32 scalar")),
              nullptr);
    module.initialize();
    const std::size_t count = libraryTypes();
    EXPECT_EQ(count, 86u);
    EXPECT_NE(nyro::COSTypeRepository::getConversion(nyro::COSNameID("string"), nyro::COSNameID("int32 scalar")),
              nullptr);
    module.initialize();
    EXPECT_EQ(libraryTypes(), count) << "a second call does nothing";
    module.terminate();
    module.initialize();
    EXPECT_EQ(libraryTypes(), count) << "terminate leaves the flag set and the types registered";
}

TEST_F(ModuleEntry, AThrowingStepLeavesTheFlagClearAndALaterCallCompletes)
{
    {
        // The first data type allocation fails: its callback throws out of the entry point.
        ut::test::AllocationFailure fail(1);
        EXPECT_THROW(module.initialize(), nyro::COSOutOfMemoryException);
    }
    module.initialize();
    EXPECT_EQ(libraryTypes(), 86u);
    module.initialize();
    EXPECT_EQ(libraryTypes(), 86u);
}

TEST_F(ModuleEntry, QueryFunctionTableBeginsWithTheZeroWord)
{
    auto fcns = module.symbol<const std::uint32_t* (*)()>("QueryKDFcns_vxdatatypes")();
    ASSERT_NE(fcns, nullptr);
    EXPECT_EQ(*fcns, 0u);
    // Called through its own type: a call through another function type is undefined.
    auto table = module.symbol<const KDFcnTable* (*)()>("QueryKDFcnTable_vxdatatypes")();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->functions, fcns) << "the table begins with the address of the zero word";
}

} // namespace
