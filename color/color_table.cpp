#include "color/color_table.h"

#include <type_traits>

#include "frame/dispatch.h"

namespace datatypes {

namespace {

// An array kept by a value outlives the host call that made it.
COSValue keep(qxArray* array)
{
    qxSetArrayScope(array, 2);
    return slotOf(array);
}

// The first three elements of a numeric array as doubles; false when it has
// fewer than three.
struct FirstThreeExecutor {
    double rgb[3] = {};
    bool found = false;

    template <class Traits>
    void execute(const Traits&, const qxArray* array)
    {
        const auto* data = Traits::data(array);
        if (!data || qxGetNumberOfElements(array) < 3 || qxIsSparse(array))
            return;
        for (int i = 0; i < 3; ++i)
            rgb[i] = static_cast<double>(data[i]);
        found = true;
    }
    void onError(qxClassID) {}
};

} // namespace

COSValue ColorTableArrayStorage::copy(const qxArray& a) { return keep(qxCreateSharedDataCopy(&a)); }

void ColorTableArrayStorage::release(qxArray* a) { qxDestroyArray(a); }

COSValue ColorTableDataType::makeDefault() const { return keep(qxCreateDoubleMatrix(0, 0, qxREAL)); }

COSValue ColorTableMC::from(COSValue a) const
{
    const qxArray* array = arrayOf(a);
    qxClassID cls = qxGetClassID(array);
    if (array && (cls == qxSTRUCT_CLASS || cls == qxOBJECT_CLASS) && !qxIsEmpty(array)) {
        ColorNameTable& table = ColorNameTable::getInstance();
        for (int f = 0, n = qxGetNumberOfFields(array); f < n; ++f) {
            const qxArray* value = qxGetFieldByNumber(array, 0, f);
            if (!value)
                continue;
            FirstThreeExecutor first;
            vx::TL::ArrayDispatcher<FirstThreeExecutor, vx::TL::AllNumeric>::dispatch(value, first);
            if (first.found)
                table.addNamedColor(qxGetFieldNameByNumber(array, f), first.rgb[0], first.rgb[1], first.rgb[2], true);
        }
    }
    return keep(qxCreateDoubleMatrix(0, 0, qxREAL));
}

COSValue ColorTableMC::to(COSValue) const { return slotOf(getColorTableAsArray()); }


void ColorTableDataType::describe(catalog::TypeEntry& e)
{
    for (const auto& [name, c] : ColorNameTable::getInstance().getColorMap())
        e.colors.push_back({name, c.red, c.green, c.blue});
    e.accepts.push_back("a 1x1 struct, one [r g b] field per color name to add or replace");
}

} // namespace datatypes

VX_REGISTER_TYPE(ColorTable)
