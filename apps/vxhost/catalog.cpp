// The console's view of the library's catalog. Every word shown here comes
// from the catalog (frame/catalog.h), which reads the tables that define each
// type's behaviour; this file only lays those words out for a reader.
#include "catalog.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "encode.h"
#include "frame/catalog.h"
#include "graphics.h"
#include "messages.h"
#include "nyro/nyro.h"

namespace vxhost {

namespace {

using datatypes::catalog::TypeEntry;
using datatypes::TypeFamily;

// The entry of a type by its registered name or by the name in its C++ names
// ("OnOffBoolean" for "on/off").
std::optional<TypeEntry> entryNamed(std::string_view name)
{
    TypeEntry e;
    if (datatypes::catalog::find(name, e))
        return e;
    for (TypeEntry& t : datatypes::catalog::types())
        if (t.key == name)
            return std::move(t);
    return std::nullopt;
}

std::string joined(const std::vector<std::string>& parts, const char* between)
{
    std::string out;
    for (const std::string& p : parts)
        out.append(out.empty() ? "" : between).append(p);
    return out;
}

// An enumeration's names at a glance: "{ linear } | log", the default in braces.
std::string choices(const TypeEntry& e)
{
    std::vector<std::string> names;
    for (const auto& n : e.names)
        names.push_back(n.isDefault ? "{ " + n.name + " }" : n.name);
    return joined(names, " | ");
}

// A color type's names: the color name table's, then its own rule names ("none").
std::vector<std::string> colorNames(const TypeEntry& e)
{
    std::vector<std::string> names;
    for (const auto& c : e.colors)
        names.push_back(c.name);
    for (const auto& n : e.names)
        names.push_back(n.name);
    return names;
}

bool hasNames(const TypeEntry& e) { return e.family == TypeFamily::Enumeration || e.family == TypeFamily::OnOff; }

// What a type accepts: the choices of an enumeration as one line, otherwise
// one line per accepted form.
json::Value accepted(const TypeEntry& e)
{
    if (hasNames(e))
        return choices(e);
    json::Value lines = json::Value::array();
    for (const std::string& line : e.accepts)
        lines.push_back(line);
    return lines;
}

// A type's default: its text, or its array in words ("double 0x0").
json::Value typeDefault(const TypeEntry& e) { return e.defaultValue; }

// The value a property starts with: its text, else its array; a scalar of the
// host as the number it holds.
json::Value propertyDefault(COSPropInfo* p)
{
    nyro::COSDataType* type = p->getDataType();
    const COSValue v = p->getDefaultValue(); // owned by the property or its type: not destroyed here
    if (const auto* scalar = dynamic_cast<const nyro::HostScalarType*>(type)) {
        using K = nyro::HostScalarType::Kind;
        switch (scalar->kind()) {
        case K::Floating: return json::number(v.asDouble());
        case K::Logical: return json::Value(!v.isNull());
        case K::String: return json::Value(nyro::pointerValue<const char*>(v) ? nyro::pointerValue<const char*>(v) : "");
        case K::Signed: return json::number(static_cast<double>(static_cast<std::int64_t>(v.bits())));
        case K::Unsigned: return json::number(static_cast<double>(v.bits()));
        }
        return json::Value();
    }
    const COSNameID name(type->getName());
    try {
        if (nyro::COSTypeConversion* sc = nyro::COSTypeRepository::getConversion(COSNameID("string"), name)) {
            const COSValue text = sc->to(v);
            const char* s = nyro::pointerValue<const char*>(text);
            json::Value out = s ? json::Value(s) : json::Value();
            nyro::COSTypeRepository::releaseReturnedText(name, text);
            if (!out.is_null())
                return out;
        }
    } catch (const Quillmark::System::IUserException&) {
        // no text for this value: its array says it
    }
    try {
        if (nyro::COSTypeConversion* mc = nyro::COSTypeRepository::getConversion(COSNameID("any"), name)) {
            QxArrayPtr a(nyro::pointerValue<qxArray*>(mc->to(v)));
            return {{"array", a ? encodeArray(a.get()) : json::Value()}};
        }
    } catch (const Quillmark::System::IUserException&) {
    }
    return json::Value();
}

// `values` for a type the catalog does not hold (a scalar type of the host).
json::Value hostTypeValues(const nyro::COSDataType* type)
{
    return {{"type", type->getName()},
            {"family", "host scalar"},
            {"accepts", json::Value::array({std::string("a scalar of the host's type \"") + type->getName() + "\""})}};
}

json::Value typeValues(const TypeEntry& e)
{
    json::Value out{{"type", e.name}, {"family", datatypes::catalog::familyName(e.family)}, {"accepts", accepted(e)}};
    if (!e.colors.empty())
        out["names"] = joined(colorNames(e), " | ");
    if (!hasNames(e))
        out["default"] = typeDefault(e);
    return out;
}

Value propertyValues(Evaluator& ev, Arguments& args)
{
    nyro::COSInterfacePtr obj = ev.objectOf(args.value(0), "The first argument");
    COSPropInfo* p = Graphics::property(obj.get(), args.text(1, "The property name"));
    json::Value out{{"property", p->getName()}, {"class", Graphics::classNameOf(obj.get())}};
    const nyro::COSDataType* type = p->getDataType();
    if (std::optional<TypeEntry> e = entryNamed(type->getName()))
        out.update(typeValues(*e));
    else
        out.update(hostTypeValues(type));
    out["default"] = propertyDefault(p);
    ev.answer.update(out);
    return {};
}

// The schema's part of one type: everything the catalog says, the empty parts left out.
json::Value schemaOf(const TypeEntry& e)
{
    json::Value t{{"name", e.name}, {"family", datatypes::catalog::familyName(e.family)}};
    if (hasNames(e)) {
        json::Value names = json::Value::array();
        for (const auto& n : e.names) {
            names.push_back(n.name);
            if (n.isDefault)
                t["default"] = n.name;
        }
        t["names"] = std::move(names);
        t["matching"] = e.matching;
    } else {
        t["default"] = typeDefault(e);
    }
    t["accepts"] = e.accepts;
    if (!e.forms.empty()) {
        t["emptyAccepted"] = e.emptyAccepted;
        json::Value forms = json::Value::array();
        for (const auto& f : e.forms)
            forms.push_back({{"shape", f.shape},
                             {"classes", f.classes},
                             {"sparseRefused", f.sparseRefused},
                             {"complexRefused", f.complexRefused},
                             {"rule", f.rule},
                             {"identifiers", f.identifiers}});
        t["forms"] = std::move(forms);
    }
    if (!e.colors.empty()) {
        json::Value colors = json::Value::array();
        for (const auto& c : e.colors)
            colors.push_back({{"name", c.name}, {"rgb", {json::number(c.red), json::number(c.green), json::number(c.blue)}}});
        t["colors"] = std::move(colors);
    }
    if (!e.refusals.empty())
        t["refusals"] = e.refusals;
    t["converters"] = e.converters;
    t["bytes"] = e.valueBytes;
    return t;
}

// The hint for a refusal with identifier `id` by the type `e`: the accepted
// choices of a name table; a color's names and numeric forms; else the forms
// whose refusals carry `id` (the rule the value broke), else every accepted form.
std::string hintFor(const TypeEntry& e, const std::string& id)
{
    if (hasNames(e))
        return e.name + " takes one of: " + choices(e);
    if (!e.colors.empty()) {
        // The names themselves, then the numeric forms (the lines that show one, "[r g b] ...").
        std::vector<std::string> forms{"a color name (" + joined(colorNames(e), ", ") + ")"};
        for (const std::string& line : e.accepts)
            if (line.rfind('[', 0) == 0)
                forms.push_back(line);
        return e.name + " takes " + joined(forms, " or ");
    }
    std::vector<std::string> broken;
    const std::size_t first = e.emptyAccepted ? 1 : 0; // accepts lists "[]" before the forms
    for (std::size_t i = 0; i < e.forms.size() && first + i < e.accepts.size(); ++i)
        if (std::count(e.forms[i].identifiers.begin(), e.forms[i].identifiers.end(), id))
            broken.push_back(e.accepts[first + i]);
    return e.name + " takes " + joined(broken.empty() ? e.accepts : broken, "; or ");
}

// The last refusal of a property value in the statement running: the type
// that refused and the identifier it raised.
struct Refusal {
    std::string type, id;
} refusal;

} // namespace

Value runValues(Evaluator& ev, Arguments& args)
{
    if (args.size() == 2)
        return propertyValues(ev, args);
    const std::string name = args.word(0);
    std::optional<TypeEntry> e = entryNamed(name);
    if (!e)
        fail(msg::UnknownType, name.c_str());
    ev.answer.update(typeValues(*e));
    return {};
}

Value runSchema(Evaluator& ev, Arguments&)
{
    json::Value types = json::Value::array();
    for (const TypeEntry& e : datatypes::catalog::types())
        types.push_back(schemaOf(e));
    json::Value classes = json::Value::array();
    for (const GraphicsClass& c : Graphics::classes()) {
        json::Value properties = json::Value::array();
        for (COSPropInfo* p : c.cls->getProperties())
            properties.push_back(
                {{"name", p->getName()}, {"type", p->getDataType()->getName()}, {"default", propertyDefault(p)}});
        classes.push_back({{"name", c.name.empty() ? std::string(c.cls->getName()) : c.name},
                           {"class", c.cls->getName()},
                           {"properties", std::move(properties)}});
    }
    ev.answer["schema"] = {{"types", std::move(types)}, {"classes", std::move(classes)}};
    return {};
}

std::vector<std::string> enumerationNames(const char* typeName)
{
    std::vector<std::string> out;
    std::optional<TypeEntry> e = typeName ? entryNamed(typeName) : std::nullopt;
    if (e && hasNames(*e))
        for (const auto& n : e->names)
            out.push_back(n.name);
    return out;
}

void noteRefusal(const char* typeName, const char* id)
{
    refusal = {typeName ? typeName : "", id ? id : ""};
}

void forgetRefusal() { refusal = {}; }

std::string refusalHint(const std::string& id)
{
    if (refusal.type.empty() || refusal.id != id)
        return {};
    std::optional<TypeEntry> e = entryNamed(refusal.type);
    return e ? hintFor(*e, id) : std::string();
}

} // namespace vxhost
