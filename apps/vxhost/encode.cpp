#include "encode.h"

#include <cstdint>

#include "arrays.h"
#include "ut/utf.h"

namespace vxhost {

namespace {

json::Value element(qxClassID cls, const void* data, qxSize i)
{
    switch (cls) {
    case qxDOUBLE_CLASS: return json::Value::number(static_cast<const double*>(data)[i]);
    case qxSINGLE_CLASS: return json::Value::number(static_cast<const float*>(data)[i]);
    case qxLOGICAL_CLASS: return json::Value::boolean(static_cast<const qxLogical*>(data)[i] != 0);
    case qxUINT64_CLASS: return json::Value::unsignedInteger(static_cast<const std::uint64_t*>(data)[i]);
    case qxINT64_CLASS: return json::Value::integer(static_cast<const std::int64_t*>(data)[i]);
    default: return json::Value::integer(static_cast<std::int64_t>(readElement(cls, data, i)));
    }
}

json::Value elements(qxClassID cls, const void* data, qxSize n)
{
    json::Value list = json::Value::list();
    for (qxSize i = 0; i < n; ++i)
        list.push(element(cls, data, i));
    return list;
}

json::Value charRows(const qxArray* a)
{
    json::Value rows = json::Value::list();
    qxSize m = qxGetM(a), n = qxGetN(a);
    const qxChar* chars = qxGetChars(a);
    for (qxSize i = 0; i < m; ++i) {
        std::vector<qxChar> units(n);
        for (qxSize j = 0; j < n; ++j)
            units[j] = chars[j * m + i];
        rows.push(json::Value::string(utf8Of(units.data(), n)));
    }
    return rows;
}

json::Value fieldsOf(const qxArray* a, qxSize index)
{
    json::Value fields = json::Value::object();
    int nf = qxGetNumberOfFields(a);
    for (int f = 0; f < nf; ++f)
        fields.set(qxGetFieldNameByNumber(a, f), encodeArray(qxGetFieldByNumber(a, index, f)));
    return fields;
}

} // namespace

std::string utf8Of(const qxChar* units, qxSize n) { return utf16_to_utf8(units, n); }

json::Value encodeArray(const qxArray* a)
{
    if (!a)
        return json::Value::null();
    json::Value out = json::Value::object();
    out.set("class", json::Value::string(qxGetClassName(a)));
    json::Value size = json::Value::list();
    for (qxSize d : dimsOf(a))
        size.push(json::Value::unsignedInteger(d));
    out.set("size", std::move(size));
    qxClassID cls = qxGetClassID(a);
    qxSize n = qxGetNumberOfElements(a);
    if (cls == qxCHAR_CLASS) {
        out.set("data", charRows(a));
    } else if (hasElements(cls)) {
        if (qxIsSparse(a)) {
            // Only the stored elements, with their rows and columns (from 1).
            out.set("sparse", json::Value::boolean(true));
            json::Value rows = json::Value::list(), columns = json::Value::list();
            const qxSize* ir = qxGetIr(a);
            const qxSize* jc = qxGetJc(a);
            qxSize stored = qxGetN(a) ? jc[qxGetN(a)] : 0;
            for (qxSize j = 0; j < qxGetN(a); ++j)
                for (qxSize k = jc[j]; k < jc[j + 1]; ++k) {
                    rows.push(json::Value::unsignedInteger(ir[k] + 1));
                    columns.push(json::Value::unsignedInteger(j + 1));
                }
            out.set("rows", std::move(rows)).set("columns", std::move(columns));
            out.set("data", elements(cls, qxGetData(a), stored));
            if (qxIsComplex(a))
                out.set("imag", elements(cls, qxGetImagData(a), stored));
            out.markHostArray();
            return out;
        }
        out.set("data", elements(cls, qxGetData(a), n));
        if (qxIsComplex(a))
            out.set("imag", elements(cls, qxGetImagData(a), n));
    } else if (cls == qxCELL_CLASS) {
        json::Value data = json::Value::list();
        for (qxSize i = 0; i < n; ++i)
            data.push(encodeArray(qxGetCell(a, i)));
        out.set("data", std::move(data));
    } else if (cls == qxSTRUCT_CLASS) {
        if (n == 1) {
            out.set("fields", fieldsOf(a, 0));
        } else {
            json::Value names = json::Value::list();
            for (int f = 0; f < qxGetNumberOfFields(a); ++f)
                names.push(json::Value::string(qxGetFieldNameByNumber(a, f)));
            json::Value data = json::Value::list();
            for (qxSize i = 0; i < n; ++i)
                data.push(fieldsOf(a, i));
            out.set("fields", std::move(names));
            out.set("data", std::move(data));
        }
    }
    out.markHostArray();
    return out;
}

} // namespace vxhost
