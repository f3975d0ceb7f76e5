// Points, rectangles, insets and bounding volumes: property types whose value is
// a heap copy of one geometric record of the GUI-objects library.
//
// Each type is described by a rule set (record, array shape, how elements become
// coordinates, messages, text forms); the templates below turn a rule set into the
// data type and its converters, and records.def lists the types.
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

struct Point2Rules {
    using Record = gui_objects::Point2i;
    using Element = std::int32_t;
    static constexpr const char* typeName = "Point2";
    static constexpr int valueBytes = 8;
    static constexpr qxSize rows = 1, cols = 2;
    static constexpr bool finiteOnly = false;
    static constexpr ParseFailure parseFailure = ParseFailure::Raise;
    static constexpr const char* nullText = "[0 0]";
    static const ArrayMessages messages;
    static Record fromElements(const Element* v) { return {v[0], v[1]}; }
    static Record fromText(const char* text);
    static void toElements(const Record& r, double* out);
    static void write(const Record& r, char* buffer, std::size_t size);
};

struct Point2dRules {
    using Record = gui_objects::Point2d;
    using Element = double;
    static constexpr const char* typeName = "Point2d";
    static constexpr int valueBytes = 16;
    static constexpr qxSize rows = 1, cols = 2;
    static constexpr bool finiteOnly = true;
    static constexpr ParseFailure parseFailure = ParseFailure::Raise;
    static constexpr const char* nullText = "";
    static const ArrayMessages messages;
    static Record fromElements(const Element* v) { return {v[0], v[1]}; }
    static Record fromText(const char* text);
    static void toElements(const Record& r, double* out);
    static void write(const Record& r, char* buffer, std::size_t size);
};

struct Point3Rules {
    using Record = gui_objects::Point3d;
    using Element = double;
    static constexpr const char* typeName = "Point3";
    static constexpr int valueBytes = 24;
    static constexpr qxSize rows = 1, cols = 3;
    static constexpr bool finiteOnly = true;
    static constexpr ParseFailure parseFailure = ParseFailure::Raise;
    static constexpr const char* nullText = "";
    static const ArrayMessages messages;
    static Record fromElements(const Element* v) { return {v[0], v[1], v[2]}; }
    static Record fromText(const char* text);
    static void toElements(const Record& r, double* out);
    static void write(const Record& r, char* buffer, std::size_t size);
};

struct Rectangle2Rules {
    using Record = gui_objects::Rectangle2i;
    using Element = std::int32_t;
    static constexpr const char* typeName = "Rectangle2";
    static constexpr int valueBytes = 16;
    static constexpr qxSize rows = 1, cols = 4;
    static constexpr bool finiteOnly = false;
    static constexpr ParseFailure parseFailure = ParseFailure::Raise;
    static constexpr const char* nullText = "[0 0 0 0]";
    static const ArrayMessages messages;
    static Record fromElements(const Element* v) { return {v[0], v[1], v[2], v[3]}; }
    static Record fromText(const char* text);
    static void toElements(const Record& r, double* out);
    static void write(const Record& r, char* buffer, std::size_t size);
};

struct InsetRules {
    using Record = gui_objects::Inset2d;
    using Element = double;
    static constexpr const char* typeName = "Inset";
    static constexpr int valueBytes = 32;
    static constexpr qxSize rows = 1, cols = 4;
    static constexpr bool finiteOnly = false;
    static constexpr ParseFailure parseFailure = ParseFailure::DefaultOnAny;
    static constexpr const char* nullText = "";
    static const ArrayMessages messages;
    static Record fromElements(const Element* v) { return {v[0], v[1], v[2], v[3]}; }
    static Record fromText(const char* text);
    static void toElements(const Record& r, double* out);
    static void write(const Record& r, char* buffer, std::size_t size);
};

struct BoundingVolumeRules {
    using Record = gui_objects::BoundingVolume;
    using Element = double;
    static constexpr const char* typeName = "BoundingVolume";
    static constexpr int valueBytes = 52;
    static constexpr qxSize rows = 2, cols = 3;
    static constexpr bool finiteOnly = false;
    static constexpr ParseFailure parseFailure = ParseFailure::DefaultOnParse;
    static constexpr const char* nullText = "";
    static const ArrayMessages messages;
    // Elements in storage order: the first row (0, 2, 4) is the min corner, the
    // second (1, 3, 5) the max corner. A max below its min is a data error.
    static Record fromElements(const Element* v);
    static Record fromText(const char* text);
    static void toElements(const Record& r, double* out);
    static void write(const Record& r, char* buffer, std::size_t size);
    // Same center and exactly the same widths.
    static bool equal(const Record& a, const Record& b);
};

template <class Rules>
bool equalRecords(const typename Rules::Record& a, const typename Rules::Record& b)
{
    if constexpr (requires { Rules::equal(a, b); })
        return Rules::equal(a, b);
    else
        return a == b;
}

template <class Derived, class Rules>
class RecordDataType
    : public ValueDataType<Derived, typename Rules::Record, MallocRecord<typename Rules::Record>> {
public:
    using Record = typename Rules::Record;
    static constexpr const char* typeName = Rules::typeName;
    static constexpr int valueBytes = Rules::valueBytes;
    COSValue makeDefault() const { return this->store(Record()); }
    bool equalValues(const Record& a, const Record& b) const { return equalRecords<Rules>(a, b); }

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

#define VX_GEOMETRY_RECORD(T)                                                                                     \
    extern template class RecordMC<T##Rules>;                                                                      \
    extern template class RecordSC<T##Rules>;
#include "geometry/records.def"
#undef VX_GEOMETRY_RECORD

} // namespace records

#define VX_GEOMETRY_RECORD(T)                                                                                     \
    class T##DataType final : public records::RecordDataType<T##DataType, records::T##Rules> {};                  \
    class T##MC final : public records::RecordMC<records::T##Rules> {};                                           \
    class T##SC final : public records::RecordSC<records::T##Rules> {};                                           \
    using T##JC = JavaConversionThroughArray<T##MC>;
#include "geometry/records.def"
#undef VX_GEOMETRY_RECORD

} // namespace datatypes
