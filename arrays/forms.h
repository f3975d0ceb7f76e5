// The catalogue of forms (arrays/forms.def) as constant data, and the members
// each form gives the value class of a type that uses it: the static validator
// is<Prefix>(const qxArray*, ErrorMessage*), its twin is<Prefix>() const for the
// held array, and the form's named predicates.
#pragma once

#include "arrays/validation.h"

namespace datatypes {

// ---- the forms as data ---------------------------------------------------------------

// What each dimension rule, class step and failure reports.
#define VX_DETAIL_SHAPE_Two(P) {"KELDAR:VX:" #P "Shape", ::datatypes::msg::NotTwoDimensional, true}
#define VX_DETAIL_SHAPE_Three(P) {"KELDAR:VX:" #P "Shape", ::datatypes::msg::NotThreeDimensional, true}
#define VX_DETAIL_SHAPE_Vector(P) {::datatypes::msg::NotAVector.id, ::datatypes::msg::NotAVector.text, true}
#define VX_DETAIL_CLASS_Strict(P, text) {"KELDAR:VX:DataTypeMismatch" #P, ::datatypes::msg::UnexpectedDataType, true}
#define VX_DETAIL_CLASS_Validate(P, text) {"KELDAR:VX:" #P "Validate", ::datatypes::msg::text, true}

namespace form {
#define VX_FORM(F, P, D, R, C, Sp, Cx, Step, Cls, Rule, Text)                                                  \
    inline constexpr Form F{                                                                                    \
        #P, Dims::D, R, C, Sp, Cx, ClassStep::Step, classes::Cls, scanOf<rule::Rule>(),                         \
        rule::wordsOf<rule::Rule>, rule::Rule::faults,                                                          \
        VX_DETAIL_SHAPE_##D(P),                                                                                 \
        {"KELDAR:VX:" #P "Dimensions_M", rowsText(R), true},                                                    \
        {"KELDAR:VX:" #P "Dimensions_N", columnsText(C), true},                                                 \
        {msg::IncorrectThirdDimension.id, msg::IncorrectThirdDimension.text, true},                             \
        {"KELDAR:VX:" #P "Sparse", msg::SparseNotSupported, false},                                             \
        {"KELDAR:VX:" #P "Complex", msg::ComplexNotSupported, false},                                           \
        VX_DETAIL_CLASS_##Step(P, Text),                                                                        \
        {"KELDAR:VX:OutsideRange" #P, rule::Rule::rangeText, true},                                             \
        {"KELDAR:VX:Nan" #P, msg::NotANumber, false},                                                           \
        {"KELDAR:VX:Inf" #P, msg::Infinite, false},                                                             \
        {"KELDAR:VX:Minimum" #P, msg::BelowMinimum, true}};                                                     \
    static_assert((R == Any || hasRowsText(R)) && (C == Any || hasColumnsText(C)), #F ": no text for this size");       \
    static_assert(!rule::Rule::inspectsElements || rule::wordsOf<rule::Rule> != nullptr,                        \
                  #F ": its rule needs a row in arrays/rules.def");                                             \
    /* Sparse input reaching the element checks is judged element by element. */                               \
    static_assert(Sp || rule::Rule::elementwise, #F ": a form without the sparse check needs an elementwise rule");
#define VX_FORM_PREDICATE(F, Name)
#include "arrays/forms.def"
#undef VX_FORM_PREDICATE
#undef VX_FORM
} // namespace form

// ---- what a form gives the value classes -------------------------------------------------

// Named predicates of a form (most have none).
template <const Form& F>
struct FormPredicate {};
// Validators of a form, for the value class Value (derived from ArrayBase).
template <const Form& F, class Value>
struct FormMembers;

#define VX_FORM(F, P, D, R, C, Sp, Cx, Step, Cls, Rule, Text)                                                  \
    template <>                                                                                                 \
    struct FormRule<form::F> {                                                                                  \
        using type = rule::Rule;                                                                                \
    };
#define VX_FORM_PREDICATE(F, Name)
#include "arrays/forms.def"
#undef VX_FORM_PREDICATE
#undef VX_FORM

#define VX_FORM(F, P, D, R, C, Sp, Cx, Step, Cls, Rule, Text)
#define VX_FORM_PREDICATE(F, Name)                                                                              \
    template <>                                                                                                 \
    struct FormPredicate<form::F> {                                                                             \
        static bool Name(const double* d, unsigned long n) { return FormRule<form::F>::type::holds(d, n); }     \
        static bool Name(const float* d, unsigned long n) { return FormRule<form::F>::type::holds(d, n); }      \
    };
#include "arrays/forms.def"
#undef VX_FORM_PREDICATE
#undef VX_FORM

#define VX_FORM(F, P, D, R, C, Sp, Cx, Step, Cls, Rule, Text)                                                  \
    template <class Value>                                                                                      \
    struct FormMembers<form::F, Value> : FormPredicate<form::F> {                                               \
        static bool is##P(const qxArray* a, ErrorMessage* record) { return validate(form::F, a, record); }      \
        bool is##P() const { return validate(form::F, static_cast<const Value&>(*this).getPtr(), nullptr); }        \
    };
#define VX_FORM_PREDICATE(F, Name)
#include "arrays/forms.def"
#undef VX_FORM_PREDICATE
#undef VX_FORM

#undef VX_DETAIL_SHAPE_Two
#undef VX_DETAIL_SHAPE_Three
#undef VX_DETAIL_SHAPE_Vector
#undef VX_DETAIL_CLASS_Strict
#undef VX_DETAIL_CLASS_Validate

} // namespace datatypes
