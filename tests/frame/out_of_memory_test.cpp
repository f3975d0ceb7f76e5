// Storage running out on every path of every registered type: for each path
// (from an array, from a text, to an array, to a text, copy, compare) the n-th
// allocation fails, for n = 1, 2, ... until the path completes. Each failure
// must end in the out-of-memory error (the object system's, the host's or the
// library's) or in the type's documented null answer, and leave nothing
// behind in the utility heap (the sanitizer build's leak checker sees the rest).
// The types come from the repository, so a new type is swept as soon as it
// registers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gui_objects/gui_objects.h"
#include "javabridge/javabridge.h"
#include "objects/references.h"
#include "support/host_fixture.h"

namespace {

using nyro::COSValue;

constexpr const char* outOfMemoryText = "Out of memory. Type HELP MEMORY for your options.";

// Converters that report any failure while making a value as their own error.
constexpr const char* anyFailureReportedAs[] = {"KELDAR:GUI:CreateCallback"};

bool documentedForAnyFailure(const std::string& id)
{
    return std::find(std::begin(anyFailureReportedAs), std::end(anyFailureReportedAs), id) != std::end(anyFailureReportedAs);
}

// The library's property types, as registered (the host's scalar types left out).
std::vector<std::string> registeredTypes()
{
    vxtest::initializeHost();
    std::vector<std::string> names;
    for (nyro::COSDataType* t : nyro::COSTypeRepository::globalTypes())
        if (!dynamic_cast<nyro::HostScalarType*>(t))
            names.emplace_back(t->getName());
    return names;
}

// Everything a path made that the caller owns, released after the path.
struct Made {
    std::vector<COSValue> values;
    std::vector<COSValue> texts;
    std::vector<qxArray*> arrays;
};

class Sweep {
public:
    explicit Sweep(const std::string& name)
        : name_(name), type_(vxtest::type(name.c_str())), array_(vxtest::conversion("any", name.c_str())),
          text_(vxtest::conversion("string", name.c_str()))
    {
    }

    // A value of the type to start the paths from: its default read back from
    // the default's array, so that it is a value of the type's own making.
    COSValue sample(Made& made) const
    {
        COSValue def = type_->getDefaultValue();
        auto* a = nyro::pointerValue<qxArray*>(array_->to(def));
        qxSetArrayScope(a, 2); // kept while the host reclaims each path's temporaries
        made.arrays.push_back(a);
        COSValue v{};
        // A type whose default's array is not among its forms starts from a copy of the default.
        if (vxtest::raisedBy([&] { v = array_->from(COSValue::fromPointer(a)); }))
            v = type_->copy(def);
        made.values.push_back(v);
        return v;
    }

    void release(Made& made) const
    {
        for (COSValue v : made.values)
            destroy(v);
        for (COSValue t : made.texts)
            if (!t.isNull())
                nyro::COSTypeRepository::releaseReturnedText(nyro::COSNameID(name_.c_str()), t);
        for (qxArray* a : made.arrays)
            qxDestroyArray(a);
        made = {};
    }

    void destroy(COSValue v) const
    {
        // A Java peer does not own its reference: the test, as the Java side, lets it go.
        if (name_ == "JavaPeer" && !v.isNull())
            kdjDeleteGlobalRef(nyro::pointerValue<datatypes::JavaPeer*>(v)->get_jobject());
        type_->destroy(v);
    }

    std::string name_;
    nyro::COSDataType* type_;
    nyro::COSTypeConversion* array_;
    nyro::COSTypeConversion* text_;
};

struct Path {
    const char* name;
    // Runs the path on `input` (a sample value, its array and its text are
    // available), recording what it made.
    void (*run)(const Sweep& s, COSValue value, const qxArray* array, const char* text, Made& made);
};

const Path paths[] = {
    {"fromArray", [](const Sweep& s, COSValue, const qxArray* a, const char*, Made& made) {
         made.values.push_back(s.array_->from(COSValue::fromPointer(a)));
     }},
    {"fromText", [](const Sweep& s, COSValue, const qxArray*, const char* text, Made& made) {
         made.values.push_back(s.text_->from(COSValue::fromPointer(text)));
     }},
    {"toArray", [](const Sweep& s, COSValue v, const qxArray*, const char*, Made& made) {
         made.arrays.push_back(nyro::pointerValue<qxArray*>(s.array_->to(v)));
     }},
    {"toText", [](const Sweep& s, COSValue v, const qxArray*, const char*, Made& made) {
         made.texts.push_back(s.text_->to(v));
     }},
    {"copy", [](const Sweep& s, COSValue v, const qxArray*, const char*, Made& made) {
         made.values.push_back(s.type_->copy(v));
     }},
    {"compare", [](const Sweep& s, COSValue v, const qxArray*, const char*, Made& made) {
         COSValue other = s.type_->copy(v);
         made.values.push_back(other);
         (void)s.type_->isEqual(v, other);
         (void)s.type_->compare(other, v);
     }},
};

struct Case {
    std::string type;
    const Path* path;
};

std::vector<Case> cases()
{
    std::vector<Case> out;
    for (const std::string& t : registeredTypes())
        for (const Path& p : paths)
            out.push_back({t, &p});
    return out;
}

class OutOfMemory : public vxtest::HostTest, public ::testing::WithParamInterface<Case> {};

TEST_P(OutOfMemory, EveryFailedAllocationEndsCleanly)
{
    const Case& c = GetParam();
    Sweep sweep(c.type);
    ASSERT_NE(sweep.type_, nullptr);
    Made fixture;
    COSValue value = sweep.sample(fixture);
    const qxArray* array = fixture.arrays.front();
    COSValue text{};
    try {
        text = sweep.text_->to(value);
    } catch (const Quillmark::System::IUserException&) {
        text = COSValue(); // a type without a text form
    }
    fixture.texts.push_back(text);
    const std::string input = text.isNull() ? "" : nyro::pointerValue<const char*>(text);

    // What the path answers with storage to spare: a path that refuses its
    // input may still refuse it the same way when storage runs out.
    std::optional<vxtest::Raised> refusal;
    {
        Made made;
        refusal = vxtest::raisedBy([&] { c.path->run(sweep, value, array, input.c_str(), made); });
        sweep.release(made);
        qxReclaimTemporaries();
    }

    for (unsigned n = 0;; ++n) {
        ASSERT_LT(n, 500u) << "the path never completes";
        const long blocks = ut::test::liveBlocks();
        const std::size_t references = javabridge::liveReferences();
        Made made;
        std::optional<vxtest::Raised> raised;
        bool reached;
        {
            ut::test::AllocationFailure fail(1, n);
            try {
                raised = vxtest::raisedBy([&] { c.path->run(sweep, value, array, input.c_str(), made); });
            } catch (const gui_objects::convert_from_string_utils::ParseException&) {
                // A text the storage failure kept from being read is refused as unreadable.
                raised = vxtest::Raised{"parse", outOfMemoryText};
            }
            reached = ut::test::pendingFailures() == 0;
        }
        if (raised && !(refusal && raised->id == refusal->id)) {
            EXPECT_TRUE(reached) << "allocation " << n + 1 << ": an error without a failed allocation";
            if (!documentedForAnyFailure(raised->id)) {
                EXPECT_EQ(raised->message, outOfMemoryText) << "allocation " << n + 1 << " failed as " << raised->id;
            }
        }
        sweep.release(made);
        qxReclaimTemporaries();
        EXPECT_EQ(ut::test::liveBlocks(), blocks) << "allocation " << n + 1 << " failed: blocks left behind";
        EXPECT_EQ(javabridge::liveReferences(), references) << "allocation " << n + 1 << ": references left behind";
        if (!reached) {
            RecordProperty("allocations", static_cast<int>(n)); // how many the path makes
            break; // the path completed before its n-th allocation
        }
    }
    sweep.release(fixture);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, OutOfMemory, ::testing::ValuesIn(cases()), [](const auto& info) {
    std::string n = info.param.type + "_" + info.param.path->name;
    for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return n;
});

} // namespace
