#include "display.h"

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
std::string number(const json::Value& v) { return v.text(); }

std::string complexNumber(const json::Value& re, const json::Value& im)
{
    std::string i = number(im);
    return number(re) + (i[0] == '-' ? "" : "+") + i + "i";
}

std::string sizeText(const json::Value& size)
{
    std::string out;
    for (std::size_t k = 0; k < size.size(); ++k)
        out += (k ? "x" : "") + size[k].text();
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
        std::size_t m = std::stoull(size[0].text()), n = m ? count / m : 0;
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
    for (std::size_t f = 0; f < fields.size(); ++f)
        out += (f ? ", " : "") + fields.keys()[f] + ": " + showArray(fields[f]);
    return out + "}";
}

std::string inlineValue(const json::Value& v);

bool isInline(const json::Value& v)
{
    if (v.isHostArray() || (v.kind() != json::Value::Kind::List && v.kind() != json::Value::Kind::Object))
        return true;
    if (v.kind() == json::Value::Kind::Object)
        return false;
    for (const json::Value& item : v.items())
        if (!isInline(item))
            return false;
    return true;
}

std::string inlineValue(const json::Value& v)
{
    switch (v.kind()) {
    case json::Value::Kind::String: return quoted(v.text());
    case json::Value::Kind::Null: return "null";
    case json::Value::Kind::List: {
        if (v.isHostArray())
            break;
        std::string out = "[";
        for (std::size_t i = 0; i < v.size(); ++i)
            out += (i ? ", " : "") + inlineValue(v[i]);
        return out + "]";
    }
    case json::Value::Kind::Object:
        if (v.isHostArray())
            return showArray(v);
        break;
    default: return v.text();
    }
    return v.dump();
}

void showFieldsOf(const json::Value& object, const std::string& indent, std::string& out);

void showItem(const std::string& key, const json::Value& v, const std::string& indent, std::string& out)
{
    if (isInline(v)) {
        out += indent + key + ": " + inlineValue(v) + "\n";
        return;
    }
    out += indent + key + ":\n";
    if (v.kind() == json::Value::Kind::Object) {
        showFieldsOf(v, indent + "  ", out);
        return;
    }
    for (const json::Value& item : v.items()) {
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
    if (object.kind() != json::Value::Kind::Object || object.size() == 0) {
        out += indent + inlineValue(object) + "\n";
        return;
    }
    for (std::size_t i = 0; i < object.size(); ++i)
        showItem(object.keys()[i], object[i], indent, out);
}

} // namespace

std::string showArray(const json::Value& a)
{
    if (a.isNull())
        return "none";
    const json::Value* cls = a.find("class");
    const json::Value* size = a.find("size");
    if (!cls || !size)
        return a.dump();
    std::string head = cls->text() + " " + sizeText(*size);
    const json::Value* data = a.find("data");
    const json::Value* imag = a.find("imag");
    const json::Value* fields = a.find("fields");
    if (a.find("sparse")) {
        // One "(i,j) value" line per stored element; the zeros are not shown.
        head = (imag ? "sparse complex " : "sparse ") + head;
        const json::Value& rows = *a.find("rows");
        const json::Value& columns = *a.find("columns");
        for (std::size_t k = 0; k < data->size(); ++k)
            head += "\n    (" + rows[k].text() + "," + columns[k].text() + ") " +
                    (imag ? complexNumber((*data)[k], (*imag)[k]) : number((*data)[k]));
        return head;
    }
    if (imag)
        head = "complex " + head;
    if (cls->text() == "char") {
        if (data->size() == 0)
            return head + " ''";
        if (data->size() == 1)
            return head + " " + singleQuoted((*data)[0].text());
        std::string rows = "[";
        for (std::size_t i = 0; i < data->size(); ++i)
            rows += (i ? "; " : "") + singleQuoted((*data)[i].text());
        return head + " " + rows + "]";
    }
    if (cls->text() == "struct") {
        if (fields && fields->kind() == json::Value::Kind::Object)
            return head + " " + showFields(*fields);
        return head + " " + layout(*size, data->size(), "[", "]", ", ", [&](std::size_t k) {
                   return showFields((*data)[k]);
               });
    }
    if (!data)
        return head;
    if (cls->text() == "cell")
        return head + " " + layout(*size, data->size(), "{", "}", ", ", [&](std::size_t k) {
                   return showArray((*data)[k]);
               });
    if (data->size() == 1 && !imag)
        return head + " " + number((*data)[0]);
    return head + " " + layout(*size, data->size(), "[", "]", " ", [&](std::size_t k) {
               return imag ? complexNumber((*data)[k], (*imag)[k]) : number((*data)[k]);
           });
}

std::string showResult(const json::Value& result)
{
    std::string out;
    if (result.kind() == json::Value::Kind::Object && result.size() == 0)
        return "ok\n";
    showFieldsOf(result, "", out);
    return out;
}

} // namespace vxhost
