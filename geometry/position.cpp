#include "geometry/position.h"

#include <type_traits>

#include "frame/dispatch.h"
#define VX_MESSAGES "geometry/messages.def"
#include "frame/messages.h"
#include "geometry/roundoff.h"
#include "geometry/text_writer.h"
#include "gui_objects/parse.h"

namespace datatypes {

namespace cfs = gui_objects::convert_from_string_utils;

bool operator==(const Position& a, const Position& b)
{
    return a.getX() == b.getX() && a.getY() == b.getY() && a.getWidth() == b.getWidth() &&
           a.getHeight() == b.getHeight();
}

bool nearlyEqual(const Position& a, const Position& b) { return gui_objects::nearlyEqual(a.asRectangle2d(), b.asRectangle2d()); }

bool equalWithinRoundoffError(const Position& a, const Position& b)
{
    return equalWithinRoundoffError(a.getX(), b.getX()) && equalWithinRoundoffError(a.getY(), b.getY()) &&
           equalWithinRoundoffError(a.getWidth(), b.getWidth()) &&
           equalWithinRoundoffError(a.getHeight(), b.getHeight());
}

bool operator==(const ScreenPosition& a, const ScreenPosition& b)
{
    return a.getX() == b.getX() && a.getY() == b.getY() && a.getWidth() == b.getWidth() &&
           a.getHeight() == b.getHeight();
}

bool nearlyEqual(const ScreenPosition& a, const ScreenPosition& b) { return a.asRectangle2i() == b.asRectangle2i(); }

namespace {

bool isRow4(const qxArray* a) { return qxGetNumberOfDimensions(a) == 2 && qxGetM(a) == 1 && qxGetN(a) == 4; }

// Which check refused an array, in the order the checks run.
enum class Fault { None, Class, Shape, NullData, NegativeSize };

template <class Executor, class List>
Fault runChecks(const qxArray* array, Executor& executor)
{
    // A sparse 1x4 row is read as the four elements it stands for; any other
    // size is refused by its shape before anything is made.
    gui_objects::QxArrayPtr full;
    if (qxIsSparse(array) && isRow4(array)) {
        full.reset(qxMustBeFull(array));
        array = full.get();
    }
    try {
        vx::TL::ArrayDispatcher<Executor, List>::dispatch(array, executor);
    } catch (const gui_objects::InvalidArrayClassException&) {
        return Fault::Class;
    } catch (const gui_objects::InvalidArrayShapeException&) {
        return Fault::Shape;
    } catch (const gui_objects::NullArrayException&) {
        return Fault::NullData;
    } catch (const gui_objects::InvalidArrayDataException&) {
        return Fault::NegativeSize;
    }
    return Fault::None;
}

struct FaultMessages {
    const Message& invalidClass;
    const Message& invalidShape;
    const Message& nullData;
    const Message& negativeSize;
};

void raiseFault(Fault fault, const FaultMessages& m)
{
    switch (fault) {
    case Fault::None: return;
    case Fault::Class: raise(m.invalidClass);
    case Fault::Shape: raise(m.invalidShape);
    case Fault::NullData: raise(m.nullData);
    case Fault::NegativeSize: raise(m.negativeSize);
    }
}

const FaultMessages positionMessages{msg::RectNotNumeric, msg::PositionNotFourElements, msg::PositionNullData,
                                     msg::PositionNegativeSize};
const FaultMessages screenPositionMessages{msg::ScreenPositionClass, msg::ScreenPositionShape,
                                           msg::ScreenPositionNullData, msg::ScreenPositionNegativeSize};

// x, y, width and height of a position as a new 1x4 array of element class `cls`.
template <class E, class P>
qxArray* rowOf(const P& p, qxClassID cls)
{
    qxArray* array = qxCreateNumericMatrix(1, 4, cls, qxREAL);
    E* d = static_cast<E*>(qxGetData(array));
    d[0] = p.getX();
    d[1] = p.getY();
    d[2] = p.getWidth();
    d[3] = p.getHeight();
    return array;
}

// "[x y width height]" in the utility heap; "" for the null value.
template <class DT>
COSValue textOfPosition(COSValue v)
{
    if (v.isNull())
        return slotOf(utStrdup(""));
    const auto& p = *DT::valueOf(v);
    char text[detail::kGeometryTextCapacity];
    detail::TextWriter(text, sizeof text).bracketed(p.getX(), p.getY(), p.getWidth(), p.getHeight());
    return slotOf(utStrdup(text));
}

} // namespace

// ---- Position ----------------------------------------------------------------------

namespace position {

// Double or single 1x4 with data; width and height not negative (NaN passes).
// Keeps the four values, widened to double.
struct ValidateExecutor {
    double values[4] = {};

    template <class Traits>
    void execute(const Traits&, const qxArray* array)
    {
        if (!isRow4(array))
            throw gui_objects::InvalidArrayShapeException();
        const auto* data = Traits::data(array);
        if (!data)
            throw gui_objects::NullArrayException();
        if (data[2] < 0 || data[3] < 0)
            throw gui_objects::InvalidArrayDataException();
        for (int i = 0; i < 4; ++i)
            values[i] = data[i];
    }
    [[noreturn]] void onError(qxClassID id) { throw gui_objects::InvalidArrayClassException(id); }
};

namespace {
ValidateExecutor validated(const qxArray* array)
{
    ValidateExecutor executor;
    raiseFault(array ? runChecks<ValidateExecutor, vx::TL::FloatingOnly>(array, executor) : Fault::NullData,
               positionMessages);
    return executor;
}
} // namespace

void validateArray(const qxArray* array) { validated(array); }

} // namespace position

COSValue PositionDataType::makeDefault() const { return store(Position(0, 0, 0, 0)); }

COSValue PositionDataType::copy(COSValue v) const
{
    return store(v.isNull() ? Position(0, 0, 0, 0) : *valueOf(v));
}

COSValue PositionMC::from(COSValue a) const
{
    const qxArray* array = arrayOf(a);
    if (!array)
        return {};
    const position::ValidateExecutor checked = position::validated(array);
    const double* v = checked.values;
    return PositionDataType::store(Position(v[0], v[1], v[2], v[3]));
}

COSValue PositionMC::to(COSValue v) const
{
    if (v.isNull())
        return slotOf(qxCreateDoubleMatrix(0, 0, qxREAL));
    return slotOf(rowOf<double>(*PositionDataType::valueOf(v), qxDOUBLE_CLASS));
}

COSValue PositionSC::from(COSValue s) const
{
    Position p(0, 0, 0, 0);
    try {
        gui_objects::Point4d v = cfs::parse_1x4_double(textOf(s));
        p = Position(v.getX(), v.getY(), v.getZ(), v.getW());
    } catch (const cfs::ParseException&) {
    }
    return PositionDataType::store(p);
}

COSValue PositionSC::to(COSValue v) const { return textOfPosition<PositionDataType>(v); }

// ---- ScreenPosition ------------------------------------------------------------------

namespace screenposition {

// Integer 1x4 with data; signed classes without a negative width or height.
struct ValidateExecutor {
    template <class Traits>
    void execute(const Traits&, const qxArray* array)
    {
        if (!isRow4(array))
            throw gui_objects::InvalidArrayShapeException();
        const auto* data = Traits::data(array);
        if (!data)
            throw gui_objects::NullArrayException();
        if constexpr (std::is_signed_v<typename Traits::element_type>)
            if (data[2] < 0 || data[3] < 0)
                throw gui_objects::InvalidArrayDataException();
    }
    [[noreturn]] void onError(qxClassID id) { throw gui_objects::InvalidArrayClassException(id); }
};

// The four values as 32-bit signed integers: narrower classes widened or
// reinterpreted, 64-bit classes reduced to their low 32 bits.
struct CopyExecutor {
    std::int32_t values[4] = {};

    template <class Traits>
    void execute(const Traits&, const qxArray* array)
    {
        const auto* data = Traits::data(array);
        if (!data)
            throw gui_objects::NullArrayException();
        for (int i = 0; i < 4; ++i)
            values[i] = static_cast<std::int32_t>(data[i]);
    }
    [[noreturn]] void onError(qxClassID id) { throw gui_objects::InvalidArrayClassException(id); }
};

void validateArray(const qxArray* array)
{
    ValidateExecutor executor;
    raiseFault(array ? runChecks<ValidateExecutor, vx::TL::IntegerOnly>(array, executor) : Fault::NullData,
               screenPositionMessages);
}

} // namespace screenposition

COSValue ScreenPositionDataType::makeDefault() const { return store(ScreenPosition(0, 0, 0, 0)); }

COSValue ScreenPositionMC::from(COSValue a) const
{
    const qxArray* array = arrayOf(a);
    if (!array)
        return {};
    screenposition::validateArray(array);
    screenposition::CopyExecutor copy;
    raiseFault(runChecks<screenposition::CopyExecutor, vx::TL::IntegerOnly>(array, copy), screenPositionMessages);
    const std::int32_t* v = copy.values;
    return ScreenPositionDataType::store(ScreenPosition(v[0], v[1], v[2], v[3]));
}

COSValue ScreenPositionMC::to(COSValue v) const
{
    if (v.isNull())
        return {};
    return slotOf(rowOf<std::int32_t>(*ScreenPositionDataType::valueOf(v), qxINT32_CLASS));
}

COSValue ScreenPositionSC::from(COSValue s) const
{
    ScreenPosition p(0, 0, 0, 0);
    try {
        gui_objects::Point4d v = cfs::parse_1x4_double(textOf(s));
        using gui_objects::truncateToInt32;
        p = ScreenPosition(truncateToInt32(v.getX()), truncateToInt32(v.getY()), truncateToInt32(v.getZ()),
                           truncateToInt32(v.getW()));
    } catch (const cfs::ParseException&) {
    }
    return ScreenPositionDataType::store(p);
}

COSValue ScreenPositionSC::to(COSValue v) const { return textOfPosition<ScreenPositionDataType>(v); }

namespace {
// A position's catalog entry: its elements in words and the refusals of its messages.
void describePosition(catalog::TypeEntry& e, const char* elements, const FaultMessages& m)
{
    e.accepts.push_back(std::string("[x y width height]: ") + elements + ", width and height not negative");
    e.accepts.push_back("the same as text, \"[x y width height]\"");
    for (const Message* each : {&m.invalidClass, &m.invalidShape, &m.nullData, &m.negativeSize})
        e.refusals.push_back(each->id);
}
} // namespace

void PositionDataType::describe(catalog::TypeEntry& e) { describePosition(e, "4 doubles or singles", positionMessages); }

void ScreenPositionDataType::describe(catalog::TypeEntry& e)
{
    describePosition(e, "4 integers", screenPositionMessages);
}

} // namespace datatypes

VX_REGISTER_TYPE(Position)
VX_REGISTER_TYPE(ScreenPosition)
