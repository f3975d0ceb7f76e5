#include "display.h"

#include "encode.h"

namespace vxhost {

namespace {

std::string quoted(const std::string& s)
{
    std::string out;
    json::appendQuoted(out, s);
    return out;
}

// A text shown as a host writes it, in single quotes with quotes doubled.
std::string singleQuoted(const std::string& s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

// Numbers as written, "NaN" and "Inf" bare, logical elements as true/false.
std::string number(const json::Value& v) { return json::text(v); }

std::string complexNumber(const json::Value& re, const json::Value& im)
{
    std::string i = number(im);
    return number(re) + (i[0] == '-' ? "" : "+") + i + "i";
}

std::string sizeText(const json::Value& size)
{
    std::string out;
    for (const json::Value& d : size) {
        if (!out.empty())
            out += 'x';
        out += json::text(d);
    }
    return out;
}

// Elements laid out by rows when the array has two dimensions, in storage
// order otherwise: "[1 2; 3 4]", with `open`/`close` and `between` chosen by
// the caller ("{" "}" ", " for cells).
template <class Show>
std::string layout(const json::Value& size, std::size_t count, const char* open, const char* close,
                   const char* between, Show show)
{
    std::string out = open;
    if (size.size() == 2) {
        std::size_t m = size[0].get<std::size_t>(), n = m ? count / m : 0;
        for (std::size_t i = 0; i < m; ++i)
            for (std::size_t j = 0; j < n; ++j) {
                out.append(j ? between : i ? "; " : "");
                out.append(show(j * m + i));
            }
    } else {
        for (std::size_t k = 0; k < count; ++k) {
            out.append(k ? between : "");
            out.append(show(k));
        }
    }
    return out + close;
}

std::string showFields(const json::Value& fields)
{
    std::string out = "{";
    for (auto it = fields.begin(); it != fields.end(); ++it)
        out += (it != fields.begin() ? ", " : "") + it.key() + ": " + showArray(*it);
    return out + "}";
}

bool isInline(const json::Value& v)
{
    if (isHostArray(v) || !v.is_structured())
        return true;
    if (v.is_object())
        return false;
    for (const json::Value& item : v)
        if (!isInline(item))
            return false;
    return true;
}

std::string inlineValue(const json::Value& v)
{
    if (v.is_string())
        return quoted(v.get_ref<const std::string&>());
    if (isHostArray(v))
        return showArray(v);
    if (v.is_array()) {
        std::string out = "[";
        for (const json::Value& item : v)
            out += (out.size() > 1 ? ", " : "") + inlineValue(item);
        return out + "]";
    }
    return json::text(v);
}

void showFieldsOf(const json::Value& object, const std::string& indent, std::string& out);

void showItem(const std::string& key, const json::Value& v, const std::string& indent, std::string& out)
{
    if (isInline(v)) {
        out += indent + key + ": " + inlineValue(v) + "\n";
        return;
    }
    out += indent + key + ":\n";
    if (v.is_object()) {
        showFieldsOf(v, indent + "  ", out);
        return;
    }
    for (const json::Value& item : v) {
        if (isInline(item)) {
            out += indent + "  - " + inlineValue(item) + "\n";
            continue;
        }
        std::string nested;
        showFieldsOf(item, indent + "    ", nested);
        // The first line of an item carries the dash.
        out += indent + "  - " + nested.substr(indent.size() + 4);
    }
}

void showFieldsOf(const json::Value& object, const std::string& indent, std::string& out)
{
    if (!object.is_object() || object.empty()) {
        out += indent + inlineValue(object) + "\n";
        return;
    }
    for (auto it = object.begin(); it != object.end(); ++it)
        showItem(it.key(), *it, indent, out);
}

const json::Value* member(const json::Value& v, const char* key)
{
    auto it = v.find(key);
    return it == v.end() ? nullptr : &*it;
}

} // namespace

std::string showArray(const json::Value& a)
{
    if (a.is_null())
        return "none";
    if (!isHostArray(a))
        return json::dump(a);
    const json::Value& size = a["size"];
    std::string cls = json::text(a["class"]);
    std::string head = cls + " " + sizeText(size);
    const json::Value* data = member(a, "data");
    const json::Value* imag = member(a, "imag");
    const json::Value* fields = member(a, "fields");
    if (member(a, "sparse")) {
        // One "(i,j) value" line per stored element; the zeros are not shown.
        head = (imag ? "sparse complex " : "sparse ") + head;
        const json::Value& rows = a["rows"];
        const json::Value& columns = a["columns"];
        for (std::size_t k = 0; k < data->size(); ++k)
            head += "\n    (" + json::text(rows[k]) + "," + json::text(columns[k]) + ") " +
                    (imag ? complexNumber((*data)[k], (*imag)[k]) : number((*data)[k]));
        return head;
    }
    if (imag)
        head = "complex " + head;
    if (cls == "char") {
        if (data->empty())
            return head + " ''";
        if (data->size() == 1)
            return head + " " + singleQuoted(json::text((*data)[0]));
        std::string rows = "[";
        for (std::size_t i = 0; i < data->size(); ++i)
            rows += (i ? "; " : "") + singleQuoted(json::text((*data)[i]));
        return head + " " + rows + "]";
    }
    if (cls == "struct") {
        if (fields && fields->is_object())
            return head + " " + showFields(*fields);
        return head + " " + layout(size, data->size(), "[", "]", ", ", [&](std::size_t k) {
                   return showFields((*data)[k]);
               });
    }
    if (!data)
        return head;
    if (cls == "cell")
        return head + " " + layout(size, data->size(), "{", "}", ", ", [&](std::size_t k) {
                   return showArray((*data)[k]);
               });
    if (data->size() == 1 && !imag)
        return head + " " + number((*data)[0]);
    return head + " " + layout(size, data->size(), "[", "]", " ", [&](std::size_t k) {
               return imag ? complexNumber((*data)[k], (*imag)[k]) : number((*data)[k]);
           });
}

std::string showResult(const json::Value& result)
{
    std::string out;
    if (result.is_object() && result.empty())
        return "ok\n";
    showFieldsOf(result, "", out);
    return out;
}

} // namespace vxhost
