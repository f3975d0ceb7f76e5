#include "complete.h"

#include <algorithm>
#include <cctype>
#include <regex>

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
    std::smatch m;
    std::vector<std::string> names;
    bool caseless = false;
    static const std::regex dotted(R"(([A-Za-z]\w*)\.$)");
    static const std::regex assigned(R"(([A-Za-z]\w*)\.([A-Za-z]\w*)\s*=\s*'$)");
    static const std::regex setValue(R"(set\(\s*([A-Za-z]\w*)\s*,(?:\s*(?:'[^']*'|[^,']*)\s*,\s*(?:'[^']*'|[^,']*)\s*,)*\s*'([A-Za-z]\w*)'\s*,\s*'$)");
    static const std::regex quoted(R"((?:set|get)\(\s*([A-Za-z]\w*)\s*,(?:\s*(?:'[^']*'|[^,']*)\s*,)*\s*'$)");
    if (std::regex_search(head, m, assigned) || std::regex_search(head, m, setValue)) {
        names = valuesOf(session, m[1].str(), m[2].str(), prefix);
        caseless = true;
    } else if (std::regex_search(head, m, dotted) ||
        (std::regex_search(head, m, quoted) && !std::regex_search(head, std::regex(R"(get\(\s*\w+\s*,.*,\s*'$)")))) {
        names = propertiesOf(session, m[1].str());
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
