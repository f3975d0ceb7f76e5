// The library as the host sees it: loaded with dlopen, initialised through its
// module entry point.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cctype>
#include <cstring>
#include <string>

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
    static bool registered(const char* name)
    {
        return static_cast<bool>(nyro::COSTypeRepository::getType(nyro::COSNameID(name)));
    }
    Module module;
    std::size_t hostTypes = 0;
};

TEST_F(ModuleEntry, LoadingRegistersNothingAndTheEntryPointRegistersOnce)
{
    EXPECT_EQ(libraryTypes(), 0u);
    EXPECT_EQ(nyro::COSTypeRepository::getConversion(nyro::COSNameID("string"), nyro::COSNameID("int32 scalar")),
              nullptr);
    module.initialize();
    std::size_t count = libraryTypes();
    EXPECT_GT(count, 0u);
    EXPECT_TRUE(registered("on/off"));
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
    EXPECT_TRUE(registered("on/off"));
    std::size_t count = libraryTypes();
    module.initialize();
    EXPECT_EQ(libraryTypes(), count);
}

TEST_F(ModuleEntry, QueryFunctionsAndVersionSymbols)
{
    auto fcns = module.symbol<const std::uint32_t* (*)()>("QueryKDFcns_vxdatatypes")();
    ASSERT_NE(fcns, nullptr);
    EXPECT_EQ(*fcns, 0u);
    auto table = module.symbol<const std::uint32_t* const* (*)()>("QueryKDFcnTable_vxdatatypes")();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table[0], fcns) << "the table begins with the address of the zero word";
    const auto* words = reinterpret_cast<const std::uint32_t*>(table + 1);
    EXPECT_EQ(words[0], 0xe04a76dfu);
    EXPECT_EQ(words[1], 0x4b54cf48u);

    // Four dot-separated decimal numbers.
    const char* version = *module.symbol<const char**>("libqmvxdatatypes_version");
    unsigned parts[4];
    int consumed = 0;
    ASSERT_EQ(std::sscanf(version, "%u.%u.%u.%u%n", &parts[0], &parts[1], &parts[2], &parts[3], &consumed), 4);
    EXPECT_EQ(std::strlen(version), std::size_t(consumed)) << version;
    // "Mmm dd yyyy", the day padded with a blank.
    const char* date = *module.symbol<const char**>("libqmvxdatatypes_build_date");
    ASSERT_EQ(std::strlen(date), 11u) << date;
    static const char* months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    EXPECT_NE(std::strstr(months, std::string(date, 3).c_str()), nullptr) << date;
    EXPECT_TRUE(date[3] == ' ' && date[6] == ' ') << date;
    EXPECT_TRUE((date[4] == ' ' || std::isdigit(date[4])) && std::isdigit(date[5])) << date;
    for (int i = 7; i < 11; ++i)
        EXPECT_TRUE(std::isdigit(date[i])) << date;
}

} // namespace
