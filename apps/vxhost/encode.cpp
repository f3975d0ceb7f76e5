#include "encode.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <type_traits>
#include <vector>

#include "qx/element_class.h"
#include "qx/ops.h"
#include "ut/utf.h"

namespace vxhost {

namespace {

json::Value element(qxClassID cls, const void* data, qxSize i)
{
    return qx::visitElementClass(cls, [&](auto c) -> json::Value {
        using T = qx::ElementOf<decltype(c)>;
        if constexpr (decltype(c)::id == qxLOGICAL_CLASS)
            return static_cast<const qxLogical*>(data)[i] != 0;
        else if constexpr (std::is_floating_point_v<T>)
            return json::number(static_cast<const T*>(data)[i]);
        else if constexpr (std::is_same_v<T, std::uint64_t> || std::is_same_v<T, std::int64_t>)
            return static_cast<const T*>(data)[i];
        else
            return static_cast<std::int64_t>(qx::readElement(cls, data, i));
    });
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

namespace vxhost {

namespace {

// Reading an encoding back: each step throws Bad with what it found wrong.
struct Bad {
    std::string why;
};

double numberOf(const json::Value& e)
{
    if (e.is_number())
        return e.get<double>();
    if (e.is_string()) {
        const std::string& s = e.get_ref<const std::string&>();
        if (s == "NaN")
            return qxGetNaN();
        if (s == "Inf" || s == "-Inf")
            return s[0] == '-' ? -qxGetInf() : qxGetInf();
    }
    throw Bad{"an element is no number"};
}

// Writes element i of the class from its JSON form (64-bit integers exactly).
void writeJson(qxClassID cls, void* data, qxSize i, const json::Value& e)
{
    qx::visitElementClass(cls, [&](auto c) {
        using T = qx::ElementOf<decltype(c)>;
        if constexpr (decltype(c)::id == qxDOUBLE_CLASS) {
            static_cast<double*>(data)[i] = numberOf(e);
        } else if constexpr (decltype(c)::id == qxSINGLE_CLASS) {
            qx::writeElement(cls, data, i, numberOf(e)); // beyond single: infinite
        } else if constexpr (decltype(c)::id == qxLOGICAL_CLASS) {
            if (!e.is_boolean())
                throw Bad{"a logical element is not true or false"};
            static_cast<qxLogical*>(data)[i] = e.get<bool>();
        } else if constexpr (decltype(c)::id == qxINT64_CLASS) {
            if (!e.is_number_integer() ||
                (e.is_number_unsigned() && e.get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX)))
                throw Bad{"an int64 element is no integer of its range"};
            static_cast<T*>(data)[i] = e.get<std::int64_t>();
        } else if constexpr (decltype(c)::id == qxUINT64_CLASS) {
            if (!e.is_number_unsigned() && !(e.is_number_integer() && e.get<std::int64_t>() >= 0))
                throw Bad{"a uint64 element is no unsigned integer"};
            static_cast<T*>(data)[i] = e.get<std::uint64_t>();
        } else {
            if (!e.is_number_integer())
                throw Bad{"an integer element is no integer"};
            long double v = e.is_number_unsigned() ? static_cast<long double>(e.get<std::uint64_t>())
                                                   : static_cast<long double>(e.get<std::int64_t>());
            qx::writeElement(cls, data, i, v);
            if (qx::readElement(cls, data, i) != v)
                throw Bad{"an element does not fit its integer class"};
        }
    });
}

const json::Value& member(const json::Value& v, const char* key, bool (json::Value::*is)() const noexcept,
                          const char* what)
{
    auto it = v.find(key);
    if (it == v.end() || !((*it).*is)())
        throw Bad{std::string("\"") + key + "\" " + what};
    return *it;
}

void fill(qxClassID cls, void* data, const json::Value& list, qxSize n)
{
    if (list.size() != n)
        throw Bad{"the data do not match the size"};
    for (qxSize i = 0; i < n; ++i)
        writeJson(cls, data, i, list[i]);
}

qx::ArrayPtr decode(const json::Value& v, int depth);

qx::ArrayPtr fieldsArray(const json::Value& v, const qx::Dims& dims, qxSize n, int depth)
{
    const json::Value& fields = member(v, "fields", &json::Value::is_structured, "must list the fields");
    std::vector<std::string> names;
    std::vector<const json::Value*> elements;
    if (fields.is_object()) {
        if (n != 1)
            throw Bad{"a struct of several elements lists its field names"};
        for (auto it = fields.begin(); it != fields.end(); ++it)
            names.push_back(it.key());
        elements.push_back(&fields);
    } else {
        for (const json::Value& f : fields) {
            if (!f.is_string())
                throw Bad{"a field name is no text"};
            names.push_back(f.get<std::string>());
        }
        const json::Value& data = member(v, "data", &json::Value::is_array, "must list the elements");
        if (data.size() != n)
            throw Bad{"the elements do not match the size"};
        for (const json::Value& e : data) {
            if (!e.is_object())
                throw Bad{"a struct element is no object"};
            elements.push_back(&e);
        }
    }
    std::vector<const char*> cnames;
    for (const std::string& s : names)
        cnames.push_back(s.c_str());
    // An N-d struct array is made as a matrix and given its dimensions after.
    qxSize columns = dims.size() == 2 ? dims[1] : n / std::max<qxSize>(dims[0], 1);
    qx::ArrayPtr out(qxCreateStructMatrix(dims[0], columns, static_cast<int>(cnames.size()), cnames.data()));
    if (static_cast<std::size_t>(qxGetNumberOfFields(out.get())) != names.size())
        throw Bad{"field names repeat or are not names"};
    for (qxSize i = 0; i < n; ++i)
        for (std::size_t f = 0; f < names.size(); ++f) {
            auto it = elements[i]->find(names[f]);
            if (it == elements[i]->end())
                continue;
            qxSetFieldByNumber(out.get(), i, static_cast<int>(f), decode(*it, depth + 1).release());
        }
    return out;
}

qx::ArrayPtr decode(const json::Value& v, int depth)
{
    if (depth > 64)
        throw Bad{"arrays are nested too deep"};
    if (!isHostArray(v))
        throw Bad{"an array must begin with \"class\" and \"size\""};
    const std::string& name = v["class"].get_ref<const std::string&>();
    qx::Dims dims;
    for (const json::Value& d : v["size"]) {
        if (!d.is_number_unsigned() && !(d.is_number_integer() && d.get<std::int64_t>() >= 0))
            throw Bad{"a dimension is no whole number"};
        dims.push_back(d.get<qxSize>());
    }
    if (dims.size() < 2)
        throw Bad{"an array has at least two dimensions"};
    // A sparse array keeps its stored elements only: its size may exceed the
    // element limit, but not the column limit.
    bool sparse = v.contains("sparse");
    qxSize n = 0;
    try {
        if (!sparse)
            n = qx::checkedCount(dims);
        else if (dims.size() != 2 || dims[1] > qx::maxSparseColumns || dims[0] > qx::maxSparseColumns * qx::maxSparseColumns)
            throw Bad{"a sparse array is a matrix of at most " + std::to_string(qx::maxSparseColumns) + " columns"};
    } catch (const qx::ArrayError&) {
        throw Bad{"the size is too large"};
    }
    bool complex = v.contains("imag");
    qx::ArrayPtr out;
    if (name == "char") {
        const json::Value& rows = member(v, "data", &json::Value::is_array, "must list the rows");
        if (rows.size() != dims[0])
            throw Bad{"the rows do not match the size"};
        out.reset(qxCreateCharArray(dims.size(), dims.data()));
        qxSize m = dims[0], cols = m ? n / m : 0;
        for (qxSize i = 0; i < m; ++i) {
            if (!rows[i].is_string())
                throw Bad{"a row of characters is no text"};
            const std::string& row = rows[i].get_ref<const std::string&>();
            std::u16string units = utf8_to_u16string(row.data(), row.size());
            if (units.size() != cols)
                throw Bad{"a row of characters does not match the size"};
            for (qxSize j = 0; j < cols; ++j)
                qxGetChars(out.get())[j * m + i] = units[j];
        }
    } else if (name == "cell") {
        const json::Value& data = member(v, "data", &json::Value::is_array, "must list the cells");
        if (data.size() != n)
            throw Bad{"the cells do not match the size"};
        out.reset(qxCreateCellArray(dims.size(), dims.data()));
        for (qxSize i = 0; i < n; ++i)
            qxSetCell(out.get(), i, decode(data[i], depth + 1).release());
    } else if (name == "struct") {
        out = fieldsArray(v, dims, n, depth);
        if (dims.size() > 2)
            qxSetDimensions(out.get(), dims.data(), dims.size());
    } else {
        std::optional<qxClassID> cls = qx::elementClassNamed(name);
        if (!cls || !qx::hasElements(*cls))
            throw Bad{"there is no array class '" + name + "' to read back"};
        if (complex && *cls == qxLOGICAL_CLASS)
            throw Bad{"a logical array has no imaginary part"};
        const json::Value& data = member(v, "data", &json::Value::is_array, "must list the elements");
        qxComplexity c = complex ? qxCOMPLEX : qxREAL;
        if (sparse) {
            const json::Value& rows = member(v, "rows", &json::Value::is_array, "must list the rows");
            const json::Value& columns = member(v, "columns", &json::Value::is_array, "must list the columns");
            qxSize stored = data.size();
            if (stored > qx::maxElements || rows.size() != stored || columns.size() != stored ||
                (*cls != qxDOUBLE_CLASS && *cls != qxLOGICAL_CLASS))
                throw Bad{"a sparse array is a double or logical matrix with a row and column per element"};
            out.reset(*cls == qxLOGICAL_CLASS ? qxCreateSparseLogicalMatrix(dims[0], dims[1], std::max<qxSize>(stored, 1))
                                              : qxCreateSparse(dims[0], dims[1], std::max<qxSize>(stored, 1), c));
            qxSize* ir = qxGetIr(out.get());
            qxSize* jc = qxGetJc(out.get());
            qxSize column = 0;
            for (qxSize k = 0; k < stored; ++k) {
                if (!rows[k].is_number_unsigned() || !columns[k].is_number_unsigned())
                    throw Bad{"a sparse row or column is no whole number"};
                qxSize r = rows[k].get<qxSize>(), col = columns[k].get<qxSize>();
                if (r < 1 || r > dims[0] || col < column || col < 1 || col > dims[1] ||
                    (col == column && k > 0 && r <= ir[k - 1] + 1))
                    throw Bad{"sparse elements are out of range or out of order"};
                for (; column < col; ++column)
                    jc[column] = k;
                ir[k] = r - 1;
                writeJson(*cls, qxGetData(out.get()), k, data[k]);
                if (complex)
                    writeJson(*cls, qxGetImagData(out.get()), k,
                              member(v, "imag", &json::Value::is_array, "must list the imaginary parts").at(k));
            }
            for (; column <= dims[1]; ++column)
                jc[column] = stored;
        } else {
            out.reset(*cls == qxLOGICAL_CLASS ? qxCreateLogicalArray(dims.size(), dims.data())
                                              : qxCreateNumericArray(dims.size(), dims.data(), *cls, c));
            fill(*cls, qxGetData(out.get()), data, n);
            if (complex)
                fill(*cls, qxGetImagData(out.get()), member(v, "imag", &json::Value::is_array, "must list the imaginary parts"),
                     n);
        }
    }
    return out;
}

} // namespace

qx::ArrayPtr decodeArray(const json::Value& v, std::string& why)
{
    try {
        return decode(v, 0);
    } catch (const Bad& b) {
        why = b.why;
    } catch (const json::Value::exception& e) {
        why = e.what();
    }
    return nullptr;
}

} // namespace vxhost
