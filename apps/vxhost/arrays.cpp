#include "arrays.h"

#include "messages.h"

namespace vxhost {

namespace {

// What of the error fills the message's % fields.
enum class Fill { Nothing, Texts, Counts };

struct Refusal {
    qx::ArrayFault fault;
    const Message& message;
    Fill fill;
};

using F = qx::ArrayFault;
const Refusal refusals[] = {
    {F::TooLarge, msg::TooLarge, Fill::Counts},
    {F::ClassMismatch, msg::ClassMismatch, Fill::Texts},
    {F::NaNToLogical, msg::NaNToLogical, Fill::Nothing},
    {F::DimensionMismatch, msg::DimensionMismatch, Fill::Nothing},
    {F::FieldMismatch, msg::FieldMismatch, Fill::Nothing},
    {F::BadArgument, msg::BadArgument, Fill::Texts},
    {F::IndexBeyond, msg::IndexBeyond, Fill::Counts},
    {F::IndexBeyondDim, msg::IndexBeyondDim, Fill::Counts},
    {F::IndexClass, msg::IndexClass, Fill::Texts},
    {F::IndexGrow, msg::IndexGrow, Fill::Nothing},
    {F::NoIndex, msg::AssignNoIndex, Fill::Nothing},
    {F::AssignmentCount, msg::AssignmentCount, Fill::Counts},
    {F::NotCell, msg::NotCell, Fill::Nothing},
    {F::OneCell, msg::OneCell, Fill::Nothing},
    {F::NotStruct, msg::NotStruct, Fill::Texts},
};

} // namespace

void refuse(const qx::ArrayError& e)
{
    for (const Refusal& r : refusals) {
        if (r.fault != e.fault())
            continue;
        // A message reads as many fields as it has; the ones after are not read.
        switch (r.fill) {
        case Fill::Nothing: fail(r.message);
        case Fill::Texts: fail(r.message, e.text(0).c_str(), e.text(1).c_str());
        case Fill::Counts: fail(r.message, e.count(0), e.count(1), e.count(2));
        }
    }
    fail(msg::InternalError, e.what());
}

} // namespace vxhost
