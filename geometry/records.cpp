#include "geometry/records.h"

#include <cmath>
#include <cstdio>
#include <type_traits>

#include "frame/dispatch.h"
#define VX_MESSAGES "geometry/messages.def"
#include "frame/messages.h"
#include "geometry/roundoff.h"
#include "geometry/text_writer.h"

namespace datatypes {

bool equalWithinRoundoffError(const gui_objects::Inset2d& a, const gui_objects::Inset2d& b)
{
    return equalWithinRoundoffError(a.getXMin(), b.getXMin()) && equalWithinRoundoffError(a.getXMax(), b.getXMax()) &&
           equalWithinRoundoffError(a.getYMin(), b.getYMin()) && equalWithinRoundoffError(a.getYMax(), b.getYMax());
}

namespace records {

namespace cfs = gui_objects::convert_from_string_utils;
using detail::TextWriter;

namespace {

// One array element as a record coordinate. Integer records truncate floating
// elements toward zero (saturating; NaN gives 0) and take integer elements
// modulo 2^32, so 64-bit elements keep their low 32 bits.
template <class Out, class E>
Out convertElement(E e)
{
    if constexpr (std::is_same_v<Out, std::int32_t> && std::is_floating_point_v<E>)
        return gui_objects::truncateToInt32(e);
    else
        return static_cast<Out>(e);
}

template <class Rules>
struct ConvertExecutor {
    typename Rules::Record& record;

    template <class Traits>
    void execute(const Traits&, const qxArray* array)
    {
        using E = typename Traits::element_type;
        constexpr qxSize n = Rules::rows * Rules::cols;
        if (!array)
            throw gui_objects::NullArrayException();
        if (qxGetNumberOfDimensions(array) != 2 || qxGetM(array) != Rules::rows || qxGetN(array) != Rules::cols)
            throw gui_objects::InvalidArrayShapeException();
        const E* data = Traits::data(array);
        if (!data)
            throw gui_objects::NullArrayException();
        if constexpr (Rules::finiteOnly && std::is_floating_point_v<E>) {
            bool finite = true;
            for (qxSize i = 0; i < n; ++i)
                finite &= std::isfinite(data[i]);
            if (!finite)
                throw gui_objects::InvalidArrayDataException();
        }
        typename Rules::Element v[n];
        for (qxSize i = 0; i < n; ++i)
            v[i] = convertElement<typename Rules::Element>(data[i]);
        record = Rules::fromElements(v);
    }
    [[noreturn]] void onError(qxClassID id) { throw gui_objects::InvalidArrayClassException(id); }
};

} // namespace

// ---- the types' own rules ------------------------------------------------------------

#define VX_GEOMETRY_RECORD(T, R, E, Bytes, Rows, Cols, Values, BadText, NullText, ...)                            \
    const ArrayMessages T##Rules::messages{__VA_ARGS__};
#include "geometry/records.def"

Point2Rules::Record Point2Rules::fromElements(const Element* v) { return {v[0], v[1]}; }
Point2Rules::Record Point2Rules::fromText(const char* text) { return cfs::parse_1x2_double(text).asPoint2i(); }
void Point2Rules::toElements(const Record& r, double* out)
{
    out[0] = r.getX();
    out[1] = r.getY();
}
void Point2Rules::write(const Record& r, char* buffer, std::size_t size)
{
    TextWriter(buffer, size).bracketed(r.getX(), r.getY());
}

Point2dRules::Record Point2dRules::fromElements(const Element* v) { return {v[0], v[1]}; }
Point2dRules::Record Point2dRules::fromText(const char* text) { return cfs::parse_1x2_double(text); }
void Point2dRules::toElements(const Record& r, double* out)
{
    out[0] = r.getX();
    out[1] = r.getY();
}
void Point2dRules::write(const Record& r, char* buffer, std::size_t size)
{
    TextWriter(buffer, size).bracketed(r.getX(), r.getY());
}

Point3Rules::Record Point3Rules::fromElements(const Element* v) { return {v[0], v[1], v[2]}; }
Point3Rules::Record Point3Rules::fromText(const char* text) { return cfs::parse_1x3_double(text); }
void Point3Rules::toElements(const Record& r, double* out)
{
    out[0] = r.getX();
    out[1] = r.getY();
    out[2] = r.getZ();
}
void Point3Rules::write(const Record& r, char* buffer, std::size_t size)
{
    TextWriter(buffer, size).bracketed(r.getX(), r.getY(), r.getZ());
}

Rectangle2Rules::Record Rectangle2Rules::fromElements(const Element* v) { return {v[0], v[1], v[2], v[3]}; }
Rectangle2Rules::Record Rectangle2Rules::fromText(const char* text)
{
    gui_objects::Point4d p = cfs::parse_1x4_double(text);
    using gui_objects::truncateToInt32;
    return {truncateToInt32(p.getX()), truncateToInt32(p.getY()), truncateToInt32(p.getZ()),
            truncateToInt32(p.getW())};
}
void Rectangle2Rules::toElements(const Record& r, double* out)
{
    out[0] = r.getXMin();
    out[1] = r.getYMin();
    out[2] = r.getXMax();
    out[3] = r.getYMax();
}
void Rectangle2Rules::write(const Record& r, char* buffer, std::size_t size)
{
    TextWriter(buffer, size).bracketed(r.getXMin(), r.getYMin(), r.getXMax(), r.getYMax());
}

InsetRules::Record InsetRules::fromElements(const Element* v) { return {v[0], v[1], v[2], v[3]}; }
InsetRules::Record InsetRules::fromText(const char* text)
{
    gui_objects::Point4d p = cfs::parse_1x4_double(text);
    return {p.getX(), p.getY(), p.getZ(), p.getW()};
}
void InsetRules::toElements(const Record& r, double* out)
{
    out[0] = r.getXMin();
    out[1] = r.getYMin();
    out[2] = r.getXMax();
    out[3] = r.getYMax();
}
void InsetRules::write(const Record& r, char* buffer, std::size_t size)
{
    TextWriter(buffer, size).bracketed(r.getXMin(), r.getYMin(), r.getXMax(), r.getYMax());
}

// Elements in storage order: the first row (0, 2, 4) is the min corner, the
// second (1, 3, 5) the max corner. A max below its min is a data error.
BoundingVolumeRules::Record BoundingVolumeRules::fromElements(const Element* v)
{
    if (v[0] > v[1] || v[2] > v[3] || v[4] > v[5])
        throw gui_objects::InvalidArrayDataException();
    return Record(gui_objects::Point3d(v[0], v[2], v[4]), gui_objects::Point3d(v[1], v[3], v[5]));
}
BoundingVolumeRules::Record BoundingVolumeRules::fromText(const char* text) { return cfs::parse_2x3_double(text); }
void BoundingVolumeRules::toElements(const Record& r, double* out)
{
    out[0] = r.getXMin();
    out[1] = r.getXMax();
    out[2] = r.getYMin();
    out[3] = r.getYMax();
    out[4] = r.getZMin();
    out[5] = r.getZMax();
}
void BoundingVolumeRules::write(const Record& r, char* buffer, std::size_t size)
{
    TextWriter(buffer, size)
        .text("[ ")
        .list(r.getXMin(), r.getYMin(), r.getZMin())
        .text(" ; ")
        .list(r.getXMax(), r.getYMax(), r.getZMax())
        .text(" ]");
}
bool sameRecord(const gui_objects::BoundingVolume& a, const gui_objects::BoundingVolume& b)
{
    return a.getCenter() == b.getCenter() && a.getXWidth() == b.getXWidth() && a.getYWidth() == b.getYWidth() &&
           a.getZWidth() == b.getZWidth();
}

// ---- converters ----------------------------------------------------------------------

template <class Rules>
COSValue RecordMC<Rules>::from(COSValue a) const
{
    const qxArray* array = arrayOf(a);
    if (!array)
        return {};
    // A sparse array of the record's size is read as the few elements it
    // stands for; any other size is refused by its shape before anything is made.
    gui_objects::QxArrayPtr full;
    if (qxIsSparse(array) && qxGetNumberOfDimensions(array) == 2 && qxGetM(array) == Rules::rows &&
        qxGetN(array) == Rules::cols) {
        full.reset(qxMustBeFull(array));
        array = full.get();
    }
    typename Rules::Record record;
    const Message* failure = nullptr;
    try {
        ConvertExecutor<Rules> executor{record};
        vx::TL::ArrayDispatcher<ConvertExecutor<Rules>, vx::TL::AllNumeric>::dispatch(array, executor);
    } catch (const gui_objects::NullArrayException&) {
        failure = Rules::messages.nullArray;
    } catch (const gui_objects::InvalidArrayClassException&) {
        failure = Rules::messages.invalidClass;
    } catch (const gui_objects::InvalidArrayShapeException&) {
        failure = Rules::messages.invalidShape;
    } catch (const gui_objects::InvalidArrayDataException&) {
        failure = Rules::messages.invalidData;
    } catch (const gui_objects::InvalidWidthException&) {
        failure = Rules::messages.invalidData;
    }
    if (failure) {
        raise(*failure);
        return {};
    }
    return MallocRecord<typename Rules::Record>::copy(record);
}

template <class Rules>
COSValue RecordMC<Rules>::to(COSValue v) const
{
    if (v.isNull())
        return slotOf(qxCreateDoubleMatrix(0, 0, qxREAL));
    qxArray* array = qxCreateDoubleMatrix(Rules::rows, Rules::cols, qxREAL);
    Rules::toElements(*nyro::pointerValue<const typename Rules::Record*>(v), qxGetPr(array));
    return slotOf(array);
}

template <class Rules>
COSValue RecordSC<Rules>::from(COSValue s) const
{
    using Record = typename Rules::Record;
    const char* text = textOf(s);
    if constexpr (Rules::parseFailure == ParseFailure::Raise) {
        return MallocRecord<Record>::copy(Rules::fromText(text));
    } else {
        Record record;
        try {
            record = Rules::fromText(text);
        } catch (const cfs::ParseException&) {
            record = Record();
        } catch (...) {
            if constexpr (Rules::parseFailure == ParseFailure::DefaultOnParse)
                throw;
            record = Record();
        }
        return MallocRecord<Record>::copy(record);
    }
}

template <class Rules>
COSValue RecordSC<Rules>::to(COSValue v) const
{
    if (v.isNull())
        return slotOf(utStrdup(Rules::nullText));
    char text[detail::kGeometryTextCapacity];
    Rules::write(*nyro::pointerValue<const typename Rules::Record*>(v), text, sizeof text);
    return slotOf(utStrdup(text));
}

#define VX_GEOMETRY_RECORD(T, ...)                                                                                \
    template class RecordMC<T##Rules>;                                                                             \
    template class RecordSC<T##Rules>;
#include "geometry/records.def"

} // namespace records
} // namespace datatypes

#define VX_GEOMETRY_RECORD(T, ...) VX_REGISTER_TYPE(T)
#include "geometry/records.def"
