// Every enumerated type of the catalog, through the converters the object
// system calls.
#include <gtest/gtest.h>

#include "enum_test_support.h"
#include "javabridge/javabridge.h"

namespace {

using enumtest::CatalogType;
using enumtest::Value;
using nyro::COSValue;

class EnumTypeTest : public vxtest::HostTest, public ::testing::WithParamInterface<CatalogType> {
protected:
    const CatalogType& t = GetParam();
    nyro::COSDataType* type() const { return vxtest::type(t.name); }
    nyro::COSTypeConversion* sc() const { return vxtest::conversion("string", t.name); }
    nyro::COSTypeConversion* mc() const { return vxtest::conversion("any", t.name); }
    COSValue fromText(const std::string& s) const { return sc()->from(datatypes::slotOf(s.c_str())); }
};

// What the name list selects for the lower-case `input`: the name equal to it,
// else the one name beginning with it; nothing when none or several do.
std::optional<std::string> selection(const std::vector<std::string>& names, const std::string& input)
{
    for (const std::string& n : names)
        if (n == input)
            return n;
    std::optional<std::string> found;
    for (const std::string& n : names) {
        if (n.compare(0, input.size(), input) != 0 || n.size() < input.size())
            continue;
        if (found)
            return std::nullopt;
        found = n;
    }
    return found;
}

TEST_P(EnumTypeTest, IsANameTableOfItsOwnBesideTheSharedOne)
{
    // The data type is a name table of its own, apart from the shared one but
    // built under the same enumeration name.
    auto* own = dynamic_cast<const datatypes::VXTypedEnumStringType*>(type());
    ASSERT_NE(own, nullptr);
    const datatypes::VXTypedEnumStringType* shared = t.table();
    EXPECT_EQ(shared, t.table());
    EXPECT_NE(shared, own);
    const std::string enumName = std::string(t.name) + "Style";
    EXPECT_EQ(own->hostEnumeration()->getName(), enumName);
    EXPECT_EQ(shared->hostEnumeration()->getName(), enumName);
    for (const auto* table : {own, shared}) {
        ASSERT_EQ(table->getEnumLength(), static_cast<int>(t.names.size()));
        EXPECT_TRUE(table->isPossibleValuesFinite());
        for (std::size_t i = 0; i < t.names.size(); ++i) {
            EXPECT_STREQ(table->getEnumString(COSValue::fromInt(i)), t.names[i].c_str());
            EXPECT_EQ(table->getEnumValue(t.names[i].c_str()), static_cast<int>(i));
        }
    }
}

TEST_P(EnumTypeTest, DefaultIsTheFirstName)
{
    EXPECT_EQ(enumtest::nameOf(t.name, type()->getDefaultValue()), t.names.front());
}

TEST_P(EnumTypeTest, EveryNameInAnyCaseReadsBackInFullWithItsPredicate)
{
    for (std::size_t i = 0; i < t.names.size(); ++i) {
        const std::string& name = t.names[i];
        for (const std::string& input : {name, enumtest::upper(name)}) {
            SCOPED_TRACE(input);
            gui_objects::QxArrayPtr array(qxCreateString(input.c_str()));
            Value v(t.name, mc()->from(datatypes::slotOf(array.get())));
            ASSERT_FALSE(v.slot().isNull());
            EXPECT_EQ(v.get()->getIntValue(), static_cast<int>(i));
            std::vector<bool> expected(t.names.size(), false);
            expected[i] = true;
            EXPECT_EQ(t.predicates(static_cast<int>(i)), expected);

            gui_objects::QxArrayPtr back(nyro::pointerValue<qxArray*>(mc()->to(v.slot())));
            ASSERT_TRUE(back && qxIsChar(back.get()) && qxGetM(back.get()) == 1);
            EXPECT_EQ(qxArrayToStdString(back.get()), name);
            EXPECT_EQ(enumtest::nameOf(t.name, v.slot()), name);
        }
    }
}

TEST_P(EnumTypeTest, AbbreviationsSelectOnlyAnExactOrUniqueName)
{
    int refused = 0;
    for (const std::string& name : t.names) {
        for (std::size_t n = 0; n < name.size(); ++n) {
            const std::string prefix = name.substr(0, n);
            for (const std::string& input : {prefix, enumtest::upper(prefix)}) {
                SCOPED_TRACE("'" + input + "'");
                std::optional<std::string> expected = selection(t.names, prefix);
                enumtest::Outcome out = enumtest::setFromArray(t.name, input);
                EXPECT_EQ(out.name, expected);
                refused += !expected;
                EXPECT_EQ(out.error ? out.error->id + " " + out.error->message : "",
                          expected ? "" : "KELDAR:vx:propswch:FindObjFailed " + enumtest::badName(input, t.name));
            }
        }
    }
    // At least the empty input: every name begins with it.
    EXPECT_GE(refused, t.names.size() > 1 ? 2 : 0);
}

TEST_P(EnumTypeTest, UnknownTextIsRefusedAsGiven)
{
    for (const std::string& input : {std::string("Zz"), t.names.back() + "x", " " + t.names.front()}) {
        SCOPED_TRACE(input);
        auto raised = vxtest::raisedBy([&] { Value v(t.name, fromText(input)); });
        ASSERT_TRUE(raised);
        EXPECT_EQ(raised->id + " " + raised->message, "KELDAR:vx:propswch:FindObjFailed " + enumtest::badName(input, t.name));
    }
    // No text at all reads as the empty text.
    auto raised = vxtest::raisedBy([&] { Value v(t.name, sc()->from(COSValue())); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->message, enumtest::badName("", t.name));
}

TEST_P(EnumTypeTest, EqualOnlyForTheSameName)
{
    std::vector<std::unique_ptr<Value>> values;
    for (const std::string& name : t.names)
        values.push_back(std::make_unique<Value>(t.name, fromText(name)));
    for (std::size_t i = 0; i < values.size(); ++i) {
        Value again(t.name, type()->copy(values[i]->slot()));
        EXPECT_EQ(again.get()->getIntValue(), int(i));
        for (std::size_t j = 0; j < values.size(); ++j) {
            const COSValue other = i == j ? again.slot() : values[j]->slot();
            EXPECT_EQ(type()->isEqual(values[i]->slot(), other), i == j) << i << " " << j;
            EXPECT_EQ(type()->compare(values[i]->slot(), other), i == j ? 0 : 2) << i << " " << j;
        }
    }
}

TEST_P(EnumTypeTest, JavaObjectsRoundTrip)
{
    nyro::JavaTypeConversion* jc = nyro::JavaTypeConversion::getConversion(nyro::COSNameID(t.name));
    ASSERT_NE(jc, nullptr);
    EXPECT_STREQ(jc->getJavaDeclarationName(), javabridge::kArrayReferenceClass);
    for (const std::string& name : t.names) {
        SCOPED_TRACE(name);
        Value v(t.name, fromText(name));
        const qxSize temporaries = qxCountTemporaries();
        COSValue java = jc->to(v.slot());
        ASSERT_FALSE(java.isNull());
        Value back(t.name, jc->from(java));
        javabridge::releaseObject(java);
        // The intermediate array of each direction is left to the host.
        EXPECT_EQ(qxCountTemporaries(), temporaries + 2);
        EXPECT_TRUE(type()->isEqual(back.slot(), v.slot()));
        EXPECT_EQ(enumtest::nameOf(t.name, back.slot()), name);
    }
}

TEST_P(EnumTypeTest, OnlyCharArraysAreAcceptedAndTheNullValueHasNoTextOrArray)
{
    const std::string refused = std::string("KELDAR:vx:propswch:FindObjFailed Bad value  for ") + t.name;
    auto error = [](auto f) {
        auto r = vxtest::raisedBy(f);
        return r ? r->id + " " + r->message : "nothing raised";
    };
    for (qxArray* a : {qxCreateDoubleScalar(1), qxCreateLogicalScalar(true), qxCreateNumericMatrix(1, 4, qxUINT16_CLASS, qxREAL),
                       qxCreateCellMatrix(1, 1), (qxArray*)nullptr})
        EXPECT_EQ(error([&] { Value v(t.name, mc()->from(datatypes::slotOf(a))); }), refused) << (a ? qxGetClassName(a) : "null");
    EXPECT_EQ(enumtest::nameOf(t.name, COSValue()), std::nullopt);
    EXPECT_EQ(error([&] { mc()->to(COSValue()); }), refused);
}

TEST_P(EnumTypeTest, OutOfMemoryForTheTextOrTheValueLeavesNothingBehind)
{
    gui_objects::QxArrayPtr array(qxCreateString(t.names.back().c_str()));
    const long before = ut::test::liveBlocks();
    for (int skip : {0, 1}) { // the text is not made; the text is made, the value is not
        std::optional<vxtest::Raised> raised;
        {
            ut::test::AllocationFailure failure(1, skip);
            raised = vxtest::raisedBy([&] { Value v(t.name, mc()->from(datatypes::slotOf(array.get()))); });
        }
        ASSERT_TRUE(raised) << skip;
        EXPECT_EQ(raised->id, skip ? nyro::COSOutOfMemoryException().GetID() : "KELDAR:datatypes:OutOfMemory");
        if (!skip)
            EXPECT_EQ(raised->message, "Out of memory. Type HELP MEMORY for your options.");
        EXPECT_EQ(ut::test::liveBlocks(), before) << skip;
    }
}

INSTANTIATE_TEST_SUITE_P(Catalog, EnumTypeTest, ::testing::ValuesIn(enumtest::catalog()),
                         [](const auto& info) { return std::string(info.param.name); });

// The types register in catalog order.
using RegistrationTest = vxtest::HostTest;

TEST_F(RegistrationTest, EnumeratedTypesRegisterInCatalogOrder)
{
    std::vector<std::string> expected;
    for (const CatalogType& t : enumtest::catalog())
        expected.push_back(t.name);
    std::vector<std::string> registered;
    for (nyro::COSDataType* type : nyro::COSTypeRepository::globalTypes())
        if (dynamic_cast<datatypes::VXTypedEnumStringType*>(type))
            registered.push_back(type->getName());
    EXPECT_EQ(registered, expected);
    EXPECT_EQ(expected.size(), 36u);
}

} // namespace
