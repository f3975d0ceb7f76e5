// The object system's typed enumeration: exact names only.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "nyro/typed_enum.h"

namespace {

using nyro::COSValue;
using nyro::EnumVisibility;
using nyro::TypedEnumStringType;

using Owned = std::unique_ptr<TypedEnumStringType>;

// "red" = 0, "green" = 1, "Red" = 2 (hidden), "blue" = 1, "red" = 7 (a second "red").
Owned colours()
{
    nyro::installHostTypes();
    Owned t(TypedEnumStringType::createInstance(nyro::COSTypeRepository::getType(nyro::COSNameID("uint32 scalar")),
                                                "Colours", "primary colours"));
    t->addElement(COSValue::fromInt(0), "red");
    t->addElement(COSValue::fromInt(1), "green");
    t->addElement(COSValue::fromInt(2), "Red", EnumVisibility::Hidden);
    t->addElement(COSValue::fromInt(1), "blue");
    t->addElement(COSValue::fromInt(7), "red");
    t->addElement(COSValue::fromInt(9), nullptr);
    return t;
}

struct Lookup {
    const char* name;
    bool valid;
    int value;
    bool ambiguous;
    EnumVisibility visibility;
};

std::ostream& operator<<(std::ostream& os, const Lookup& l) { return os << (l.name ? l.name : "(null)"); }

class TypedEnumLookupTest : public ::testing::TestWithParam<Lookup> {};

TEST_P(TypedEnumLookupTest, AnswersForExactNamesOnly)
{
    Owned t = colours();
    const nyro::EnumerationType& e = *t;
    const Lookup& l = GetParam();
    EXPECT_EQ(e.isValidEnumName(l.name), l.valid);
    EXPECT_EQ(e.getEnumValue(l.name), l.value);
    EXPECT_EQ(e.isEnumNameAmbiguous(l.name), l.ambiguous);
    EXPECT_EQ(e.getEnumVisibility(l.name), l.visibility);
}

INSTANTIATE_TEST_SUITE_P(
    Names, TypedEnumLookupTest,
    ::testing::Values(Lookup{"red", true, 0, true, EnumVisibility::Visible},
                      Lookup{"Red", true, 2, false, EnumVisibility::Hidden},
                      Lookup{"blue", true, 1, false, EnumVisibility::Visible},
                      Lookup{"RED", false, -1, false, EnumVisibility::Unknown},
                      Lookup{"re", false, -1, false, EnumVisibility::Unknown},
                      Lookup{nullptr, false, -1, false, EnumVisibility::Unknown}));

// Values, sizes and comparison come from the base type; without one, from the 32-bit word.
TEST(TypedEnum, IsADataTypeOverItsBase)
{
    Owned t = colours();
    EXPECT_STREQ(t->getDescription(), "primary colours");
    EXPECT_EQ(t->getDefaultValue(), COSValue::fromInt(0)) << "the first element";
    EXPECT_EQ(t->getSizeInBits(), t->baseType()->getSizeInBits());
    EXPECT_EQ(t->compare(COSValue::fromInt(1), COSValue::fromInt(2)), -1);
    EXPECT_STREQ(t->getEnumString(COSValue::fromInt(1)), "green") << "the first element holding the value";
    EXPECT_STREQ(t->getEnumString(COSValue::fromInt(7)), "red");
    EXPECT_EQ(t->getEnumString(COSValue::fromInt(9)), nullptr) << "an element without a name is not added";
    std::vector<std::int64_t> values;
    for (nyro::COSValueEnumerationPtr possible = t->getPossibleValues(); possible->hasMoreElements();)
        values.push_back(static_cast<std::int64_t>(possible->nextElement().bits()));
    EXPECT_EQ(values, (std::vector<std::int64_t>{0, 1, 2, 1, 7}));

    Owned bare(TypedEnumStringType::createInstance(nyro::COSDataTypePtr(), "Bare", nullptr));
    EXPECT_EQ(bare->getDescription(), nullptr);
    EXPECT_TRUE(bare->getDefaultValue().isNull());
    EXPECT_EQ(bare->getSizeInBits(), 32);
    EXPECT_EQ(bare->compare(COSValue::fromInt(3), COSValue::fromInt(2)), 1);
    EXPECT_FALSE(bare->getPossibleValues()->hasMoreElements());
}

TEST(TypedEnum, NoStorageThrowsTheOutOfMemoryException)
{
    ut::test::AllocationFailure failure(1);
    EXPECT_THROW(TypedEnumStringType::createInstance(nyro::COSDataTypePtr(), "Bare", nullptr),
                 nyro::COSOutOfMemoryException);
}

} // namespace
