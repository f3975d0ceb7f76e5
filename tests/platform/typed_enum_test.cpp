// The object system's typed enumeration: exact names only.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "nyro/typed_enum.h"

namespace {

using nyro::COSValue;
using nyro::EnumVisibility;
using nyro::TypedEnumStringType;

struct Deleter {
    void operator()(TypedEnumStringType* t) const { delete t; }
};
using Owned = std::unique_ptr<TypedEnumStringType, Deleter>;

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
                      Lookup{"green", true, 1, false, EnumVisibility::Visible},
                      Lookup{"blue", true, 1, false, EnumVisibility::Visible},
                      Lookup{"RED", false, -1, false, EnumVisibility::Unknown},
                      Lookup{"re", false, -1, false, EnumVisibility::Unknown},
                      Lookup{"reds", false, -1, false, EnumVisibility::Unknown},
                      Lookup{"", false, -1, false, EnumVisibility::Unknown},
                      Lookup{nullptr, false, -1, false, EnumVisibility::Unknown}));

struct Reverse {
    std::int64_t value;
    const char* name; // null: no element holds it
};

std::ostream& operator<<(std::ostream& os, const Reverse& r) { return os << r.value; }

class TypedEnumStringTest : public ::testing::TestWithParam<Reverse> {};

TEST_P(TypedEnumStringTest, NameOfTheFirstElementHoldingTheValue)
{
    Owned t = colours();
    const char* name = t->getEnumString(COSValue::fromInt(GetParam().value));
    if (GetParam().name)
        EXPECT_STREQ(name, GetParam().name);
    else
        EXPECT_EQ(name, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Values, TypedEnumStringTest,
                         ::testing::Values(Reverse{0, "red"}, Reverse{1, "green"}, Reverse{2, "Red"},
                                           Reverse{7, "red"}, Reverse{3, nullptr}, Reverse{9, nullptr},
                                           Reverse{-1, nullptr}));

TEST(TypedEnum, IsADataTypeOverItsBase)
{
    Owned t = colours();
    EXPECT_STREQ(t->getName(), "Colours");
    EXPECT_STREQ(t->getDeclarationName(), "Colours");
    EXPECT_STREQ(t->getDescription(), "primary colours");
    EXPECT_EQ(t->getEnumLength(), 5);
    EXPECT_TRUE(t->isPossibleValuesFinite());
    EXPECT_EQ(t->getDefaultValue(), COSValue::fromInt(0));
    nyro::COSDataType* base = t->baseType();
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(t->getSizeInBits(), base->getSizeInBits());
    EXPECT_EQ(t->getStorageType(), base->getStorageType());
    EXPECT_TRUE(t->isEqual(COSValue::fromInt(7), COSValue::fromInt(7)));
    EXPECT_EQ(t->compare(COSValue::fromInt(1), COSValue::fromInt(2)), -1);
    EXPECT_EQ(t->copy(COSValue::fromInt(7)), COSValue::fromInt(7));

    std::vector<std::int64_t> values;
    nyro::COSValueEnumerationPtr possible = t->getPossibleValues();
    while (possible->hasMoreElements())
        values.push_back(static_cast<std::int64_t>(possible->nextElement().bits()));
    EXPECT_EQ(values, (std::vector<std::int64_t>{0, 1, 2, 1, 7}));
}

TEST(TypedEnum, EmptyAndBaselessEnumerationsStillAnswer)
{
    Owned t(TypedEnumStringType::createInstance(nyro::COSDataTypePtr(), "Bare", nullptr));
    EXPECT_EQ(t->getDescription(), nullptr);
    EXPECT_EQ(t->getEnumLength(), 0);
    EXPECT_FALSE(t->isValidEnumName(""));
    EXPECT_EQ(t->getEnumString(COSValue()), nullptr);
    EXPECT_TRUE(t->getDefaultValue().isNull());
    EXPECT_EQ(t->compare(COSValue::fromInt(3), COSValue::fromInt(2)), 1);
    EXPECT_FALSE(t->getPossibleValues()->hasMoreElements());
}

TEST(TypedEnum, NoStorageThrowsTheOutOfMemoryException)
{
    ut::test::AllocationFailure failure(1);
    EXPECT_THROW(TypedEnumStringType::createInstance(nyro::COSDataTypePtr(), "Bare", nullptr),
                 nyro::COSOutOfMemoryException);
}

} // namespace
