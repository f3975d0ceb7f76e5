#include "styles/tick.h"

#include <algorithm>
#include <type_traits>
#include <vector>

#include "qx/element_class.h"

namespace datatypes {

Tick convertVectorToTickData(const std::vector<double>& ticks)
{
    Tick result;
    if (ticks.empty())
        return result;
    gui_objects::QxArrayPtr row(qxCreateDoubleMatrix(1, ticks.size(), qxREAL));
    std::copy(ticks.begin(), ticks.end(), qxGetPr(row.get()));
    result = Tick(row.get());
    return result;
}

std::vector<double> convertTickDataToVector(const Tick& tick)
{
    const qxArray* a = tick.getPtr();
    if (!a)
        return {};
    const qxSize n = qxGetNumberOfElements(a);
    // Tick data holds double or single numbers; anything else reads as none.
    return qx::visitElementClass(qxGetClassID(a), [&](auto e) -> std::vector<double> {
        using T = qx::ElementOf<decltype(e)>;
        if constexpr (std::is_floating_point_v<T>) {
            const T* d = static_cast<const T*>(qxGetData(a));
            return std::vector<double>(d, d + n);
        } else {
            return {};
        }
    });
}

} // namespace datatypes

VX_REGISTER_ARRAY_TYPE(Tick)
