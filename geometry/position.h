// Placement rectangles in [x y w h] form: Position (doubles) and ScreenPosition
// (32-bit integers), each a thin class over a GUI-objects rectangle record.
#pragma once

#include <cstdint>

#include "frame/datatype.h"
#include "gui_objects/geometry.h"

namespace datatypes {

class VX_API Position : public UtCallocAllocated {
public:
    Position() = default;
    Position(double x, double y, double w, double h) : rect_(gui_objects::Rectangle2d::fromOriginAndSize(x, y, w, h))
    {
    }
    explicit Position(const gui_objects::Rectangle2d& r) : rect_(r) {}
    Position(const Position&) = default;
    Position& operator=(const Position&) = default;

    double getX() const { return rect_.getXMin(); }
    double getY() const { return rect_.getYMin(); }
    double getWidth() const { return rect_.getWidth(); }
    double getHeight() const { return rect_.getHeight(); }
    const gui_objects::Rectangle2d& asRectangle2d() const { return rect_; }

private:
    gui_objects::Rectangle2d rect_;
};

// x, y, width and height each exactly equal.
bool operator==(const Position& a, const Position& b);
// The records' tolerant comparison (gui_objects::nearlyEqual).
VX_API bool nearlyEqual(const Position& a, const Position& b);
// x, y, width and height each equal within round-off.
VX_API bool equalWithinRoundoffError(const Position& a, const Position& b);

class VX_API ScreenPosition : public UtMallocAllocated {
public:
    ScreenPosition() = default;
    // Corners (x, y) and (x + w, y + h), the sums taken modulo 2^32 so that any
    // w and h read back unchanged.
    ScreenPosition(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h)
        : rect_(x, y, gui_objects::wrappingAdd(x, w), gui_objects::wrappingAdd(y, h))
    {
    }
    explicit ScreenPosition(const gui_objects::Rectangle2i& r) : rect_(r) {}
    ScreenPosition(const ScreenPosition&) = default;
    ScreenPosition& operator=(const ScreenPosition&) = default;

    std::int32_t getX() const { return rect_.getXMin(); }
    std::int32_t getY() const { return rect_.getYMin(); }
    std::int32_t getWidth() const { return rect_.getWidth(); }
    std::int32_t getHeight() const { return rect_.getHeight(); }
    const gui_objects::Rectangle2i& asRectangle2i() const { return rect_; }

private:
    gui_objects::Rectangle2i rect_;
};

// x, y, width and height each equal.
bool operator==(const ScreenPosition& a, const ScreenPosition& b);
// The four corner coordinates each equal.
VX_API bool nearlyEqual(const ScreenPosition& a, const ScreenPosition& b);

namespace position {
// A 1x4 double or single array whose width and height (third and fourth
// elements) are not negative; otherwise raises the host error for the fault.
void validateArray(const qxArray* array);
} // namespace position

namespace screenposition {
// A 1x4 integer array; signed classes must not have a negative width or height.
void validateArray(const qxArray* array);
} // namespace screenposition

class PositionDataType final : public ValueDataType<PositionDataType, Position> {
public:
    // The catalog's part: what the type accepts and how it refuses.
    static void describe(catalog::TypeEntry& e);
    static constexpr const char* typeName = "Position";
    static constexpr int valueBytes = 32;
    COSValue makeDefault() const;
    // A null slot copies to a zero position, not to null.
    COSValue copy(COSValue v) const override;
    bool equalValues(const Position& a, const Position& b) const { return nearlyEqual(a, b); }
};

VX_CONVERSION(PositionMC);

VX_CONVERSION(PositionSC);

using PositionJC = JavaConversionThroughArray<PositionMC>;

class ScreenPositionDataType final : public ValueDataType<ScreenPositionDataType, ScreenPosition> {
public:
    // The catalog's part: what the type accepts and how it refuses.
    static void describe(catalog::TypeEntry& e);
    static constexpr const char* typeName = "ScreenPosition";
    static constexpr int valueBytes = 16;
    COSValue makeDefault() const;
};

// To: no array at all for the null value.
VX_CONVERSION(ScreenPositionMC);

VX_CONVERSION(ScreenPositionSC);

using ScreenPositionJC = JavaConversionThroughArray<ScreenPositionMC>;

} // namespace datatypes
