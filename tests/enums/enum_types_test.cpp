// Every enumerated type of the catalog through the converters the object
// system calls, the inputs whose answer is easy to get wrong, and on/off.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "enums/enum_types.h"
#include "enums/onoff.h"
#include "frame/catalog.h"
#include "frame/registry.h"
#include "javabridge/javabridge.h"
#include "support/host_fixture.h"

namespace {

using nyro::COSValue;

struct CatalogRow {
    const char* name;
    std::vector<std::string> names;
    friend std::ostream& operator<<(std::ostream& os, const CatalogRow& r) { return os << r.name; }
};

#define VX_TEST_NAME(r, data, entry) VX_ENUM_TEXT(entry),

const std::vector<CatalogRow> types = {
#define VX_ENUM_TYPE(T, NAMES) {#T, {BOOST_PP_SEQ_FOR_EACH(VX_TEST_NAME, ~, VX_ENUM_SEQ(NAMES))}},
#include "enums/catalog.def"
};

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string error(const std::optional<vxtest::Raised>& r) { return r ? r->id + " " + r->message : ""; }

std::string badName(const std::string& input, const char* type)
{
    return "KELDAR:vx:propswch:FindObjFailed Bad value " + input + " for " + type + ".";
}

// Owns a value slot of a type and destroys it through the type.
class Value {
public:
    Value(const char* type, COSValue v) : type_(vxtest::type(type)), v_(v) {}
    ~Value() { type_->destroy(v_); }
    Value(const Value&) = delete;
    COSValue slot() const { return v_; }
    int number() const { return nyro::pointerValue<const datatypes::EnumBase*>(v_)->getIntValue(); }

private:
    nyro::COSDataType* type_;
    COSValue v_;
};

// The full name the text converter gives back (its copy freed here); nullopt for a null text.
std::optional<std::string> nameOf(const char* type, COSValue v)
{
    COSValue text = vxtest::conversion("string", type)->to(v);
    if (text.isNull())
        return std::nullopt;
    std::string name = datatypes::textOf(text);
    utFree(nyro::pointerValue<char*>(text));
    return name;
}

// Setting a property of the type from a char array holding `input`: the number and the name
// read back (as text; as an array too when that differs), or the error raised.
std::string setFromArray(const char* type, const std::string& input)
{
    nyro::COSTypeConversion* mc = vxtest::conversion("any", type);
    gui_objects::QxArrayPtr array(qxCreateString(input.c_str()));
    std::string out;
    auto raised = vxtest::raisedBy([&] {
        Value v(type, mc->from(datatypes::slotOf(array.get())));
        gui_objects::QxArrayPtr back(nyro::pointerValue<qxArray*>(mc->to(v.slot())));
        const std::string name = nameOf(type, v.slot()).value_or("null");
        out = std::to_string(v.number()) + " " + name;
        if (!back || !qxIsChar(back.get()) || qxGetM(back.get()) != 1 || qxArrayToStdString(back.get()) != name)
            out += " but another array";
    });
    return raised ? error(raised) : out;
}

// ---- the enumerated property types -----------------------------------------------------

class EnumTypeTest : public vxtest::HostTest, public ::testing::WithParamInterface<CatalogRow> {
protected:
    const CatalogRow& t = GetParam();
    nyro::COSDataType* type() const { return vxtest::type(t.name); }
    nyro::COSTypeConversion* mc() const { return vxtest::conversion("any", t.name); }
    COSValue fromText(const std::string& s) const
    {
        return vxtest::conversion("string", t.name)->from(datatypes::slotOf(s.c_str()));
    }
};

TEST_P(EnumTypeTest, DefaultIsTheFirstNameOtherNamesDifferAndEveryNameInAnyCaseReadsBackInFull)
{
    EXPECT_EQ(nameOf(t.name, type()->getDefaultValue()), t.names.front());
    Value last(t.name, fromText(t.names.back()));
    EXPECT_FALSE(type()->isEqual(type()->getDefaultValue(), last.slot()));
    EXPECT_EQ(type()->compare(type()->getDefaultValue(), last.slot()), 2);
    for (std::size_t i = 0; i < t.names.size(); ++i)
        for (const std::string& input : {t.names[i], upper(t.names[i])})
            EXPECT_EQ(setFromArray(t.name, input), std::to_string(i) + " " + t.names[i]);
}

TEST_P(EnumTypeTest, JavaObjectsRoundTripLeavingTheIntermediatesToTheHost)
{
    nyro::JavaTypeConversion* jc = nyro::JavaTypeConversion::getConversion(nyro::COSNameID(t.name));
    ASSERT_NE(jc, nullptr);
    EXPECT_STREQ(jc->getJavaDeclarationName(), javabridge::kArrayReferenceClass);
    Value v(t.name, fromText(t.names.back()));
    const qxSize temporaries = qxCountTemporaries();
    COSValue java = jc->to(v.slot());
    ASSERT_FALSE(java.isNull());
    Value back(t.name, jc->from(java));
    javabridge::releaseObject(java);
    EXPECT_EQ(qxCountTemporaries(), temporaries + 2);
    EXPECT_EQ(nameOf(t.name, back.slot()), t.names.back());
}

TEST_P(EnumTypeTest, RefusalsNameTheType)
{
    // The empty text begins every name: refused like an unknown one.
    EXPECT_EQ(setFromArray(t.name, ""), badName("", t.name));
    auto noText = vxtest::raisedBy([&] { Value v(t.name, vxtest::conversion("string", t.name)->from(COSValue())); });
    EXPECT_EQ(error(noText), badName("", t.name));
    // No char array, and the null value read back as an array.
    const std::string notChars = std::string("KELDAR:vx:propswch:FindObjFailed Bad value  for ") + t.name;
    for (qxArray* a : {qxCreateDoubleScalar(1), (qxArray*)nullptr})
        EXPECT_EQ(error(vxtest::raisedBy([&] { Value v(t.name, mc()->from(datatypes::slotOf(a))); })), notChars);
    EXPECT_EQ(error(vxtest::raisedBy([&] { mc()->to(COSValue()); })), notChars);
    EXPECT_EQ(nameOf(t.name, COSValue()), std::nullopt);
}

TEST_P(EnumTypeTest, OutOfMemoryForTheTextOrTheValueLeavesNothingBehind)
{
    // A short text is read in place and only the value takes a block; a text
    // too long to read in place takes one of its own first.
    const std::string longText(40, 'x');
    const struct {
        std::string text;
        std::string id;
    } cases[] = {{longText, "KELDAR:datatypes:OutOfMemory"}, {t.names.back(), nyro::COSOutOfMemoryException().GetID()}};
    const long before = ut::test::liveBlocks();
    for (const auto& c : cases) {
        gui_objects::QxArrayPtr array(qxCreateString(c.text.c_str()));
        std::optional<vxtest::Raised> raised;
        {
            ut::test::AllocationFailure failure(1);
            raised = vxtest::raisedBy([&] { Value v(t.name, mc()->from(datatypes::slotOf(array.get()))); });
        }
        ASSERT_TRUE(raised) << c.text;
        EXPECT_EQ(raised->id, c.id) << c.text;
        array.reset();
        EXPECT_EQ(ut::test::liveBlocks(), before) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(Catalog, EnumTypeTest, ::testing::ValuesIn(types),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- inputs whose answer is easy to get wrong ---------------------------------------------

struct Selection {
    const char* type;
    const char* input;
    const char* expected; // number and name; null: refused
};

void PrintTo(const Selection& s, std::ostream* os) { *os << s.type << " '" << s.input << "'"; }

class SelectionTest : public vxtest::HostTest, public ::testing::WithParamInterface<Selection> {};

TEST_P(SelectionTest, SelectsTheExactOrOnlyMatchingNameOrRefusesTheTextAsGiven)
{
    const Selection& s = GetParam();
    EXPECT_EQ(setFromArray(s.type, s.input), s.expected ? s.expected : badName(s.input, s.type));
}

INSTANTIATE_TEST_SUITE_P(
    Catalog, SelectionTest,
    ::testing::Values(Selection{"AutoManual", "MaN", "1 manual"}, Selection{"AutoManual", " auto", nullptr},
                      Selection{"AutoManual", "auto ", nullptr}, Selection{"AutoManual", "autox", nullptr},
                      Selection{"AutoManual", "\xc3\x81uto", nullptr}, Selection{"GridMajorMinor", "maj", nullptr},
                      Selection{"GridMajorMinor", "MAJOR", "0 major"}, Selection{"GridMajorMinor", "majora", "1 majorandminor"},
                      Selection{"Units", "data", nullptr},
                      // Too long to be read in place, with characters beyond ASCII and the basic plane.
                      Selection{"AutoManual", "\xc3\x81uto, said at length \xf0\x9f\x98\x80", nullptr}));

// ---- on/off ------------------------------------------------------------------------

using OnOff = vxtest::HostTest;
const COSValue off(0), on(1);

struct ArrayCase {
    const char* name;
    qxArray* (*make)();
    const char* read; // "on", "off" or the error raised
};

class OnOffFromArray : public vxtest::HostTest, public ::testing::WithParamInterface<ArrayCase> {};

TEST_P(OnOffFromArray, OnlyCharArraysAndOnlyExactlyOnIsOn)
{
    gui_objects::QxArrayPtr a(GetParam().make());
    COSValue v;
    auto raised = vxtest::raisedBy([&] { v = vxtest::conversion("any", "on/off")->from(COSValue::fromPointer(a.get())); });
    EXPECT_EQ(raised ? error(raised) : v.isNull() ? "off" : "on", GetParam().read);
}

const char* const refused = "KELDAR:datatypes:UnknownOnOffBooleanValue Incorrect type for value for On/Off Boolean";
INSTANTIATE_TEST_SUITE_P(
    Inputs, OnOffFromArray,
    ::testing::Values(ArrayCase{"on", [] { return qxCreateString("on"); }, "on"},
                      ArrayCase{"ON", [] { return qxCreateString("ON"); }, "off"},
                      ArrayCase{"onx", [] { return qxCreateString("onx"); }, "off"},
                      ArrayCase{"empty", [] { return qxCreateString(""); }, "off"},
                      ArrayCase{"logical", [] { return qxCreateLogicalScalar(true); }, refused},
                      ArrayCase{"cell", [] { return qxCreateCellMatrix(1, 1); }, refused}), [](const auto& info) { return std::string(info.param.name); });

TEST_F(OnOff, WordsOrderPossibleValuesAndJava)
{
    nyro::COSDataType* t = vxtest::type("on/off");
    auto sc = vxtest::conversion("string", "on/off");
    EXPECT_STREQ(nyro::pointerValue<const char*>(sc->to(COSValue(1ull << 40))), "on") << "any set bit is on";
    EXPECT_STREQ(nyro::pointerValue<const char*>(sc->to(off)), "off");
    EXPECT_TRUE(nyro::COSTypeRepository::isReturnedTextBorrowed(nyro::COSNameID("on/off"))) << "constant texts";
    qxArray* word = nyro::pointerValue<qxArray*>(vxtest::conversion("any", "on/off")->to(COSValue(1ull << 40)));
    EXPECT_EQ(qxArrayToStdString(gui_objects::QxArrayPtr(word).get()), "on");
    auto bools = vxtest::conversion("string", "bool");
    EXPECT_EQ(bools->from(COSValue::fromPointer("on")), on) << "plain bool takes the same words";
    EXPECT_EQ(bools->from(COSValue::fromPointer("true")), off);
    EXPECT_EQ(t->compare(off, on), -1);
    EXPECT_EQ(t->compare(on, off), 1);
    EXPECT_EQ(t->compare(on, COSValue(7)), 0);
    EXPECT_EQ(t->getDefaultValue(), off);
    EXPECT_STREQ(t->getPossibleValuesDescription(), "on/off");
    nyro::COSValueEnumerationPtr values = t->getPossibleValues();
    std::vector<std::uint64_t> seen;
    while (values->hasMoreElements())
        seen.push_back(values->nextElement().bits());
    EXPECT_EQ(seen, (std::vector<std::uint64_t>{0, 1}));
    auto java = nyro::JavaTypeConversion::getConversion(nyro::COSNameID("on/off"));
    COSValue object = java->to(on);
    EXPECT_EQ(java->from(object), on);
    javabridge::releaseObject(object);
    EXPECT_GT(qxReclaimTemporaries(), 0u) << "the intermediate arrays are temporaries of the call";
}

TEST_F(OnOff, OutOfMemoryAndASecondRegistrationAreReported)
{
    // Texts too long to read in place take a block.
    gui_objects::QxArrayPtr a(qxCreateString("on, said in more words than fit"));
    auto raised = vxtest::raisedBy([&] {
        ut::test::AllocationFailure fail(1);
        vxtest::conversion("any", "on/off")->from(COSValue::fromPointer(a.get()));
    });
    EXPECT_EQ(error(raised), "KELDAR:datatypes:OutOfMemory Out of memory. Type HELP MEMORY for your options.");
    // Recording the callback again and running it meets the registered type.
    raised = vxtest::raisedBy([] {
        init_datatypes_OnOffBooleanDataType();
        datatypes::get_initialization_callback_registry()->initialize();
    });
    EXPECT_EQ(error(raised), "vx:datatypes Trying to add datatype OnOffBooleanDataType, multiple times to registry");
}

} // namespace
