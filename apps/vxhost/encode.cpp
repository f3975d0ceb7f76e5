#include "encode.h"

#include <cstdint>
#include <iterator>
#include <vector>

#include "qx/ops.h"
#include "ut/utf.h"

namespace vxhost {

namespace {

json::Value element(qxClassID cls, const void* data, qxSize i)
{
    switch (cls) {
    case qxDOUBLE_CLASS: return json::number(static_cast<const double*>(data)[i]);
    case qxSINGLE_CLASS: return json::number(static_cast<const float*>(data)[i]);
    case qxLOGICAL_CLASS: return static_cast<const qxLogical*>(data)[i] != 0;
    case qxUINT64_CLASS: return static_cast<const std::uint64_t*>(data)[i];
    case qxINT64_CLASS: return static_cast<const std::int64_t*>(data)[i];
    default: return static_cast<std::int64_t>(qx::readElement(cls, data, i));
    }
}

json::Value elements(qxClassID cls, const void* data, qxSize n)
{
    json::Value list = json::Value::array();
    list.get_ref<json::Value::array_t&>().reserve(n);
    for (qxSize i = 0; i < n; ++i)
        list.push_back(element(cls, data, i));
    return list;
}

json::Value charRows(const qxArray* a)
{
    json::Value rows = json::Value::array();
    qxSize m = qxGetM(a), n = qxGetN(a);
    const qxChar* chars = qxGetChars(a);
    std::vector<qxChar> units(n);
    for (qxSize i = 0; i < m; ++i) {
        for (qxSize j = 0; j < n; ++j)
            units[j] = chars[j * m + i];
        rows.push_back(utf8Of(units.data(), n));
    }
    return rows;
}

json::Value fieldsOf(const qxArray* a, qxSize index)
{
    json::Value fields = json::Value::object();
    int nf = qxGetNumberOfFields(a);
    for (int f = 0; f < nf; ++f)
        fields[qxGetFieldNameByNumber(a, f)] = encodeArray(qxGetFieldByNumber(a, index, f));
    return fields;
}

} // namespace

std::string utf8Of(const qxChar* units, qxSize n) { return utf16_to_utf8(units, n); }

json::Value encodeArray(const qxArray* a)
{
    if (!a)
        return nullptr;
    json::Value out = json::Value::object();
    out["class"] = qxGetClassName(a);
    json::Value& size = out["size"] = json::Value::array();
    for (qxSize d : qx::dimsOf(a))
        size.push_back(d);
    qxClassID cls = qxGetClassID(a);
    qxSize n = qxGetNumberOfElements(a);
    if (cls == qxCHAR_CLASS) {
        out["data"] = charRows(a);
    } else if (qx::hasElements(cls) && qxIsSparse(a)) {
        // Only the stored elements, with their rows and columns (from 1).
        out["sparse"] = true;
        json::Value rows = json::Value::array(), columns = json::Value::array();
        const qxSize* ir = qxGetIr(a);
        const qxSize* jc = qxGetJc(a);
        qxSize stored = qxGetN(a) ? jc[qxGetN(a)] : 0;
        for (qxSize j = 0; j < qxGetN(a); ++j)
            for (qxSize k = jc[j]; k < jc[j + 1]; ++k) {
                rows.push_back(ir[k] + 1);
                columns.push_back(j + 1);
            }
        out["rows"] = std::move(rows);
        out["columns"] = std::move(columns);
        out["data"] = elements(cls, qxGetData(a), stored);
        if (qxIsComplex(a))
            out["imag"] = elements(cls, qxGetImagData(a), stored);
    } else if (qx::hasElements(cls)) {
        out["data"] = elements(cls, qxGetData(a), n);
        if (qxIsComplex(a))
            out["imag"] = elements(cls, qxGetImagData(a), n);
    } else if (cls == qxCELL_CLASS) {
        json::Value& data = out["data"] = json::Value::array();
        for (qxSize i = 0; i < n; ++i)
            data.push_back(encodeArray(qxGetCell(a, i)));
    } else if (cls == qxSTRUCT_CLASS) {
        if (n == 1) {
            out["fields"] = fieldsOf(a, 0);
        } else {
            json::Value& names = out["fields"] = json::Value::array();
            for (int f = 0; f < qxGetNumberOfFields(a); ++f)
                names.push_back(qxGetFieldNameByNumber(a, f));
            json::Value& data = out["data"] = json::Value::array();
            for (qxSize i = 0; i < n; ++i)
                data.push_back(fieldsOf(a, i));
        }
    }
    return out;
}

bool isHostArray(const json::Value& v)
{
    if (!v.is_object() || v.size() < 2)
        return false;
    auto first = v.begin(), second = std::next(first);
    return first.key() == "class" && first->is_string() && second.key() == "size" && second->is_array();
}

} // namespace vxhost
