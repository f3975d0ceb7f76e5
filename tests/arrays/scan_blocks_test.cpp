// Long arrays through the validators: scans stop at the first block holding a
// bad element, and within it must still name the first bad element's check,
// wherever the element stands (first, last, on either side of a block or of
// the runs a block is read in), for every kind of rule.
#include <gtest/gtest.h>

#include <string>

#include "arrays/array_inputs.h"
#include "styles/tick.h"
#include "support/host_fixture.h"

namespace {

using namespace vxtest;
using datatypes::ErrorMessage;
using gui_objects::QxArrayPtr;

using Validator = bool (*)(const qxArray*, ErrorMessage*);

// An array of `n` good elements in `rows` rows, with `bad` at `at` (and a
// second, different bad value right after it, which must not be reported).
struct Scan {
    const char* name;
    Validator validate;
    qxClassID cls;
    qxSize rows;
    double (*good)(qxSize);
    double bad, later;
    const char* id; // null: the good array alone is accepted
};

double increasing(qxSize k) { return double(k) - 2500.0; }
double level(qxSize k) { return double(k % 7) / 7.0; }
double wholeIndex(qxSize k) { return double(k % 50 + 1); }
double faceIndex(qxSize k) { return k % 97 == 5 ? NaN : wholeIndex(k); } // NaN is a face index too
double finite(qxSize k) { return double(k % 13) * 1e6 - 3e6; }

const Scan scans[] = {
    {"TickOutOfOrder", datatypes::Tick::isHorizontalVector, qxDOUBLE_CLASS, 1, increasing, -1e9, NaN,
     "KELDAR:VX:HorizontalVectorValidate"},
    {"TickNaN", datatypes::Tick::isHorizontalVector, qxSINGLE_CLASS, 1, increasing, NaN, -1e9,
     "KELDAR:VX:HorizontalVectorValidate"},
    {"NColorAbove1", datatypes::NColorPtr::isNColor, qxDOUBLE_CLASS, 1666, level, 1.5, -1, "KELDAR:VX:NColorValidate"},
    {"NColorBelow0", datatypes::NColorPtr::isNColor, qxSINGLE_CLASS, 1666, level, -0.5, 2, "KELDAR:VX:NColorValidate"},
    {"PatchFacesFraction", datatypes::PatchFaces::isPatchFaces, qxDOUBLE_CLASS, 1666, faceIndex, 1.5, 0,
     "KELDAR:VX:PatchFacesValidate"},
    {"PatchFacesInf", datatypes::PatchFaces::isPatchFaces, qxDOUBLE_CLASS, 1666, faceIndex, Inf, 2,
     "KELDAR:VX:PatchFacesValidate"},
    {"PatchFacesAbove2To31", datatypes::PatchFaces::isPatchFaces, qxSINGLE_CLASS, 1666, faceIndex, 4294967296.0, 2,
     "KELDAR:VX:PatchFacesValidate"},
    {"PatchFacesZeroInt32", datatypes::PatchFaces::isPatchFaces, qxINT32_CLASS, 1666, wholeIndex, 0, -3,
     "KELDAR:VX:PatchFacesValidate"},
    // Strict forms report the check the first bad element fails, not a later one's.
    {"VertexDataNaNBeforeInf", datatypes::PrimitiveVertexData::isVertexData, qxSINGLE_CLASS, 3, finite, NaN, Inf,
     "KELDAR:VX:NanVertexData"},
    {"VertexDataInfBeforeNaN", datatypes::PrimitiveVertexData::isVertexData, qxSINGLE_CLASS, 3, finite, -Inf, NaN,
     "KELDAR:VX:InfVertexData"},
};

// Places around the boundaries of blocks (the first of 256 elements, then 4
// pages) and of the runs a block is read in (a quarter of the first block, a
// page after it: 512 doubles, 1024 singles, 1024 int32), and both ends.
const qxSize places[] = {0, 1, 63, 64, 255, 256, 767, 768, 1279, 1280, 2303, 2304, 4351, 4352, 4996, 4997};
constexpr qxSize elements = 4998;

struct Placed {
    Scan scan;
    qxSize at;
};
void PrintTo(const Placed& p, std::ostream* os) { *os << p.scan.name << " at " << p.at; }

std::vector<Placed> placedScans()
{
    std::vector<Placed> all;
    for (const Scan& s : scans)
        for (qxSize at : places)
            all.push_back({s, at});
    return all;
}

Input longArray(const Scan& s)
{
    Input in{s.cls, {s.rows, elements / s.rows}, {}};
    for (qxSize k = 0; k < elements; ++k)
        in.values.push_back(s.good(k));
    return in;
}

class ScanBlocks : public HostTest, public ::testing::WithParamInterface<Placed> {};

TEST_P(ScanBlocks, ReportsTheFirstBadElementWhereverItStands)
{
    const auto& [s, at] = GetParam();
    Input in = longArray(s);
    {
        QxArrayPtr good(in.make());
        EXPECT_TRUE(s.validate(good.get(), nullptr)) << "the good array";
    }
    in.values[at] = s.bad;
    if (at + 1 < elements)
        in.values[at + 1] = s.later;
    QxArrayPtr bad(in.make());
    ErrorMessage record("", "", true);
    EXPECT_FALSE(s.validate(bad.get(), &record));
    EXPECT_EQ(record.id, s.id);
}

INSTANTIATE_TEST_SUITE_P(Rules, ScanBlocks, ::testing::ValuesIn(placedScans()), [](const auto& info) {
    return std::string(info.param.scan.name) + "_" + std::to_string(info.param.at);
});

} // namespace
