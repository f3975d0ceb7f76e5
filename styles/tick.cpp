#include "styles/tick.h"

#include <algorithm>

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
    switch (qxGetClassID(a)) {
    case qxDOUBLE_CLASS: {
        const double* d = qxGetPr(a);
        return std::vector<double>(d, d + n);
    }
    case qxSINGLE_CLASS: {
        const float* d = static_cast<const float*>(qxGetData(a));
        return std::vector<double>(d, d + n);
    }
    default: return {};
    }
}

} // namespace datatypes

VX_REGISTER_ARRAY_TYPE(Tick)
