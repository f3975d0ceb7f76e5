// Color records of the GUI-objects library: four doubles in 0..1 or four bytes
// in 0..255 (red, green, blue, alpha).
#pragma once

#include <cstdint>

namespace gui_objects {

class Color4b;

class Color4d {
public:
    constexpr Color4d() = default;
    constexpr Color4d(double r, double g, double b, double a) : r_(r), g_(g), b_(b), a_(a) {}
    constexpr double getRed() const { return r_; }
    constexpr double getGreen() const { return g_; }
    constexpr double getBlue() const { return b_; }
    constexpr double getAlpha() const { return a_; }
    friend constexpr bool operator==(const Color4d&, const Color4d&) = default;
    // Each component clamped to 0..1, scaled by 255 and rounded to the nearest
    // byte, halves up (0.5/255 -> 1); NaN gives 0.
    Color4b asColor4b() const;

private:
    double r_ = 0;
    double g_ = 0;
    double b_ = 0;
    double a_ = 1;
};

class Color4b {
public:
    constexpr Color4b() = default;
    constexpr Color4b(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) : r_(r), g_(g), b_(b), a_(a) {}
    constexpr std::uint8_t getRed() const { return r_; }
    constexpr std::uint8_t getGreen() const { return g_; }
    constexpr std::uint8_t getBlue() const { return b_; }
    constexpr std::uint8_t getAlpha() const { return a_; }
    friend constexpr bool operator==(const Color4b&, const Color4b&) = default;
    // Each byte divided by 255.
    Color4d asColor4d() const;

private:
    std::uint8_t r_ = 0;
    std::uint8_t g_ = 0;
    std::uint8_t b_ = 0;
    std::uint8_t a_ = 255;
};

} // namespace gui_objects
