// Points, rectangles, insets and bounding volumes: property types whose value is
// a heap copy of one geometric record of the GUI-objects library.
//
// Each type is a row of records.def (record, array shape, element rule,
// messages, text forms) that makes its rule set; the templates below turn a
// rule set into the data type and its converters.
#pragma once

#include <cstdint>
#include <string>

#include "frame/datatype.h"
#include "frame/message.h"
#include "gui_objects/geometry.h"

namespace datatypes {

// The four margins pairwise within round-off (xmin, xmax, ymin, ymax).
VX_API bool equalWithinRoundoffError(const gui_objects::Inset2d& a, const gui_objects::Inset2d& b);

namespace records {

// The messages an array converter raises for each way an array can be refused;
// null where the type makes no such check.
struct ArrayMessages {
    const Message* nullArray;
    const Message* invalidClass;
    const Message* invalidShape;
    const Message* invalidData;
};

// What the string converter does when the text is not a record.
enum class ParseFailure {
    Raise,           // the parse exception leaves the converter
    DefaultOnParse,  // the parse exception gives the default record; others leave
    DefaultOnAny,    // any exception gives the default record
};

// Whether floating elements must be finite.
enum class ElementValues { AnyValue, Finite };

// The one shape of a record's rules; each row of records.def makes a TRules
// of this shape, whose functions records.cpp defines for the record.
template <class R, class E, int Bytes, qxSize Rows, qxSize Cols, ElementValues Values, ParseFailure BadText>
struct RecordShape {
    using Record = R;
    using Element = E;
    static constexpr int valueBytes = Bytes;
    static constexpr qxSize rows = Rows, cols = Cols;
    static constexpr bool finiteOnly = Values == ElementValues::Finite;
    static constexpr ParseFailure parseFailure = BadText;
};

#define VX_GEOMETRY_RECORD(T, R, E, Bytes, Rows, Cols, Values, BadText, NullText, ...)                             \
    struct T##Rules                                                                                                 \
        : RecordShape<gui_objects::R, E, Bytes, Rows, Cols, ElementValues::Values, ParseFailure::BadText> {       \
        static constexpr const char* typeName = #T;                                                                 \
        static constexpr const char* nullText = NullText;                                                           \
        static const ArrayMessages messages;                                                                        \
        static Record fromElements(const Element* v);                                                               \
        static Record fromText(const char* text);                                                                   \
        static void toElements(const Record& r, double* out);                                                       \
        static void write(const Record& r, char* buffer, std::size_t size);                                         \
    };
#include "geometry/records.def"

// Records are equal when their coordinates are; bounding volumes when they
// have the same center and exactly the same widths.
template <class R>
bool sameRecord(const R& a, const R& b)
{
    return a == b;
}
bool sameRecord(const gui_objects::BoundingVolume& a, const gui_objects::BoundingVolume& b);

template <class Derived, class Rules>
class RecordDataType
    : public ValueDataType<Derived, typename Rules::Record, MallocRecord<typename Rules::Record>> {
public:
    using Record = typename Rules::Record;
    static constexpr const char* typeName = Rules::typeName;
    static constexpr int valueBytes = Rules::valueBytes;
    COSValue makeDefault() const { return this->store(Record()); }
    bool equalValues(const Record& a, const Record& b) const { return sameRecord(a, b); }

    // The catalog's part: the array the record is read from, its text, and the
    // messages of the checks the type makes.
    static void describe(catalog::TypeEntry& e)
    {
        std::string shape = std::to_string(Rules::rows) + "x" + std::to_string(Rules::cols) + " numeric array";
        if (Rules::finiteOnly)
            shape += ", finite";
        e.accepts.push_back(shape);
        e.accepts.push_back("the same as text in brackets (\"[1 2]\")");
        const ArrayMessages& m = Rules::messages;
        for (const Message* each : {m.nullArray, m.invalidClass, m.invalidShape, m.invalidData})
            if (each)
                e.refusals.push_back(each->id);
    }
};

template <class Rules>
class RecordMC : public nyro::COSTypeConversion {
public:
    // A null array gives the null value; a refused array raises the type's message.
    COSValue from(COSValue a) const override;
    // 0x0 double for the null value, else rows x cols doubles.
    COSValue to(COSValue v) const override;
};

template <class Rules>
class RecordSC : public nyro::COSTypeConversion {
public:
    COSValue from(COSValue s) const override;
    // A new utility-heap copy of the text.
    COSValue to(COSValue v) const override;
};

#define VX_GEOMETRY_RECORD(T, ...)                                                                                \
    extern template class RecordMC<T##Rules>;                                                                      \
    extern template class RecordSC<T##Rules>;
#include "geometry/records.def"

} // namespace records

#define VX_GEOMETRY_RECORD(T, ...)                                                                                \
    class T##DataType final : public records::RecordDataType<T##DataType, records::T##Rules> {};                  \
    class T##MC final : public records::RecordMC<records::T##Rules> {};                                           \
    class T##SC final : public records::RecordSC<records::T##Rules> {};                                           \
    using T##JC = JavaConversionThroughArray<T##MC>;
#include "geometry/records.def"

} // namespace datatypes
