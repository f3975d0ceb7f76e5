#include "complete.h"

#include <tao/pegtl.hpp>

#include <algorithm>
#include <cctype>

#include "catalog.h"

namespace vxhost {

namespace {

bool identChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

bool startsWithNoCase(std::string_view name, std::string_view prefix)
{
    return name.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), name.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// The properties of the one object a variable holds, or none.
std::vector<std::string> propertiesOf(Session& session, const std::string& variable)
{
    std::vector<std::string> out;
    Workspace& ws = session.workspace();
    auto it = ws.variables.find(variable);
    if (it == ws.variables.end() || !it->second.handles || qxGetNumberOfElements(it->second.array.get()) != 1)
        return out;
    try {
        nyro::COSInterfacePtr obj = ws.graphics.objectOf(*qxGetPr(it->second.array.get()));
        for (nyro::COSPropInfo* p : obj->getClass()->getProperties())
            out.emplace_back(p->getName());
    } catch (const Quillmark::System::IUserException&) {
        // a deleted object has nothing to offer
    }
    return out;
}

// The object a variable holds, or null.
nyro::COSInterfacePtr objectIn(Session& session, const std::string& variable)
{
    Workspace& ws = session.workspace();
    auto it = ws.variables.find(variable);
    if (it == ws.variables.end() || !it->second.handles || qxGetNumberOfElements(it->second.array.get()) != 1)
        return {};
    try {
        return ws.graphics.objectOf(*qxGetPr(it->second.array.get()));
    } catch (const Quillmark::System::IUserException&) {
        return {};
    }
}

// The names a property's type reads from text, found by asking its string
// converter: a text it reads is completed to the name it writes back; one it
// refuses may still begin several names, so one more character is tried
// (a few levels deep at most).
void probeNames(const nyro::COSDataType* type, nyro::COSTypeConversion* sc, nyro::COSNameID name,
                const std::string& text, int depth, std::vector<std::string>& out)
{
    bool read = false;
    try {
        nyro::COSValue v = sc->from(nyro::COSValue::fromPointer(text.c_str()));
        try {
            nyro::COSValue written = sc->to(v);
            if (const char* t = nyro::pointerValue<const char*>(written))
                out.emplace_back(t);
            nyro::COSTypeRepository::releaseReturnedText(name, written);
        } catch (...) {
        }
        type->destroy(v);
        read = true;
    } catch (...) {
        qxReclaimTemporaries();
    }
    if (read || depth == 0)
        return;
    static const std::string letters = "abcdefghijklmnopqrstuvwxyz";
    for (char c : letters)
        probeNames(type, sc, name, text + c, depth - 1, out);
}

std::vector<std::string> valuesOf(Session& session, const std::string& variable, const std::string& property,
                                  const std::string& prefix)
{
    std::vector<std::string> out;
    nyro::COSInterfacePtr obj = objectIn(session, variable);
    if (!obj)
        return out;
    try {
        nyro::COSPropInfo* p = Graphics::property(obj.get(), property);
        const nyro::COSDataType* type = p->getDataType();
        nyro::COSNameID name(type->getName());
        nyro::COSTypeConversion* sc = nyro::COSTypeRepository::getConversion(nyro::COSNameID("string"), name);
        if (std::vector<std::string> listed = enumerationNames(type->getName()); !listed.empty()) {
            out = std::move(listed); // an enumeration's names, from the catalog
        } else if (sc && type->isPossibleValuesFinite()) {
            // A type that lists its values (the on/off boolean) names them itself.
            nyro::COSValueEnumerationPtr values = type->getPossibleValues();
            while (values && values->hasMoreElements()) {
                nyro::COSValue written = sc->to(values->nextElement());
                if (const char* t = nyro::pointerValue<const char*>(written))
                    out.emplace_back(t);
                nyro::COSTypeRepository::releaseReturnedText(name, written);
            }
        } else if (sc) {
            probeNames(type, sc, name, prefix, 3, out);
        }
    } catch (const Quillmark::System::IUserException&) {
    }
    qxReclaimTemporaries();
    return out;
}

// ---- what the text before the word asks for ---------------------------------------
// Each rule below describes the end of that text: it is tried at every position from
// the left and must reach the end, so the first position where it does names the
// object (and property) that is completed.
namespace g {
using namespace tao::pegtl;

struct ws : star<space> {};
struct name : seq<alpha, star<identifier_other>> {};
struct object_name : name {};
struct property_name : name {};
// The quote the word being completed follows.
struct open_quote : seq<ws, one<'\''>, eof> {};

// An argument of set or get and its comma: a quoted text (which may hold commas), or
// any text without quotes and commas. A quote anywhere else ends the arguments.
struct quoted_text : seq<one<'\''>, star<not_one<'\''>>, one<'\''>> {};
struct bare_text : star<not_one<',', '\''>> {};
struct argument : seq<ws, sor<quoted_text, bare_text>, ws, one<','>> {};
struct named_argument : seq<ws, one<'\''>, property_name, one<'\''>, ws, one<','>> {};
template <class Call>
struct call_of : seq<Call, one<'('>, ws, object_name, ws, one<','>> {};
struct set_call : string<'s', 'e', 't'> {};
struct get_call : string<'g', 'e', 't'> {};

// h.
struct dotted : seq<object_name, one<'.'>, eof> {};
// h.Prop = '
struct assigned : seq<object_name, one<'.'>, property_name, ws, one<'='>, ws, one<'\''>, eof> {};
// set(h, 'A', a, 'Prop', ': names and values come in pairs before the name.
struct set_value : seq<call_of<set_call>, star<argument, argument>, named_argument, open_quote> {};
// set(h, ..., ' or get(h, '
struct quoted_name : seq<call_of<sor<set_call, get_call>>, star<argument>, open_quote> {};
// get(h, 'A', ': get reads one property, so nothing is offered after its second argument
// (unless a line break comes between them).
struct later_get_argument
    : seq<get_call, one<'('>, ws, plus<identifier_other>, ws, one<','>,
          until<seq<one<','>, open_quote>, not_one<'\n', '\r'>>> {};
} // namespace g

struct Names {
    std::string object;
    std::string property;
};

template <class Rule>
struct capture : tao::pegtl::nothing<Rule> {};
template <>
struct capture<g::object_name> {
    template <class Input>
    static void apply(const Input& in, Names& n) { n.object = in.string(); }
};
template <>
struct capture<g::property_name> {
    template <class Input>
    static void apply(const Input& in, Names& n) { n.property = in.string(); }
};

// Whether the text ends as Rule describes, from its first position that does. A
// position tried before may have set names; the one that matches sets them last.
template <class Rule>
bool endsWith(std::string_view text, Names& names)
{
    tao::pegtl::memory_input<tao::pegtl::tracking_mode::lazy> in(text.data(), text.size(), "");
    return tao::pegtl::parse<tao::pegtl::until<Rule>, capture>(in, names);
}

} // namespace

Completion complete(Session& session, std::string_view line, std::size_t point)
{
    Completion c;
    std::string before(line.substr(0, std::min(point, line.size())));
    std::size_t start = before.size();
    while (start > 0 && identChar(before[start - 1]))
        --start;
    c.start = start;
    std::string prefix = before.substr(start);
    std::string head = before.substr(0, start);
    Names m;
    std::vector<std::string> names;
    bool caseless = false;
    if (endsWith<g::assigned>(head, m) || endsWith<g::set_value>(head, m)) {
        names = valuesOf(session, m.object, m.property, prefix);
        caseless = true;
    } else if (endsWith<g::dotted>(head, m) ||
               (endsWith<g::quoted_name>(head, m) && !endsWith<g::later_get_argument>(head, m))) {
        names = propertiesOf(session, m.object);
        caseless = true;
    } else if (head.empty() || !(head.back() == '\'' || head.back() == '.')) {
        for (const Command& k : session.workspace().commands())
            names.emplace_back(k.name);
        for (const auto& [v, var] : session.workspace().variables)
            names.push_back(v);
    }
    for (const std::string& n : names)
        if (caseless ? startsWithNoCase(n, prefix) : n.compare(0, prefix.size(), prefix) == 0)
            c.candidates.push_back(n);
    std::sort(c.candidates.begin(), c.candidates.end());
    c.candidates.erase(std::unique(c.candidates.begin(), c.candidates.end()), c.candidates.end());
    return c;
}

} // namespace vxhost
