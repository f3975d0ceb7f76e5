// Writes docs/types.md, the reference of every property type, from the
// library's catalog and the console's class table (which properties use which
// type). With --check it compares instead, and fails when the file differs.
//
//   vx_gen_types docs/types.md            write it
//   vx_gen_types --check docs/types.md    exit 1 when it is out of date
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "frame/catalog.h"
#include "frame/registry.h"
#include "javabridge/javabridge.h"
#include "nyro/nyro.h"

namespace {

namespace catalog = datatypes::catalog;

// "class.Property" per registered type name, in the class table's order.
std::map<std::string, std::vector<std::string>> propertiesByType()
{
    std::map<std::string, std::vector<std::string>> uses;
    std::string owner;
    auto classRow = [&](const char* name, const char* hostClass) { owner = *name ? name : hostClass; };
    auto propertyRow = [&](const char* name, const char* type) { uses[type].push_back(owner + "." + name); };
#define VXHOST_CLASS(name, hostClass, parent, under) classRow(name, hostClass);
#define VXHOST_PROPERTY(name, type, byDefault) propertyRow(name, type);
#include "../apps/vxhost/classes.def"
#undef VXHOST_CLASS
#undef VXHOST_PROPERTY
    return uses;
}

std::string code(const std::string& s) { return s.find('`') == std::string::npos ? "`" + s + "`" : "``" + s + "``"; }

std::string joined(const std::vector<std::string>& items, const char* separator, bool asCode = false)
{
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? separator : "") + (asCode ? code(items[i]) : items[i]);
    return out;
}

// Enumerations as users read them: { default } | other | ...
std::string choices(const std::vector<catalog::EnumName>& names)
{
    std::vector<std::string> words;
    for (const catalog::EnumName& n : names)
        words.push_back(n.isDefault ? "{ " + n.name + " }" : n.name);
    return joined(words, " | ");
}

// A table cell: pipes escaped.
std::string cell(const std::string& s)
{
    std::string out;
    for (char c : s)
        out += c == '|' ? std::string("\\|") : std::string(1, c);
    return out;
}

void writeType(std::ostream& out, const catalog::TypeEntry& e, const std::vector<std::string>& usedBy)
{
    out << "## " << e.name << "\n\n";
    out << "- Family: " << catalog::familyName(e.family) << "; defined in `" << e.home << "`\n";
    out << "- Default: " << code(e.defaultValue.empty() ? "''" : e.defaultValue)
        << (e.defaultIsText ? "" : " (as an array)") << "\n";
    out << "- Value size in bytes: " << e.valueBytes << "; converters from " << joined(e.converters, ", ", true)
        << "\n";
    if (!e.names.empty())
        out << "- Names: " << code(choices(e.names)) << " (" << e.matching << ")\n";
    if (e.family == datatypes::TypeFamily::Array)
        out << "- Null and empty arrays: " << (e.emptyAccepted ? "accepted" : "refused") << "\n";
    out << "- Accepts:\n";
    for (const std::string& a : e.accepts)
        out << "  - " << a << "\n";
    if (!e.forms.empty()) {
        out << "\nForms, in the order tried:\n\n";
        out << "| Form | Shape | Classes | Sparse | Complex | Rule | Identifiers |\n";
        out << "|---|---|---|---|---|---|---|\n";
        for (const catalog::ArrayForm& f : e.forms)
            out << "| " << f.prefix << " | " << f.shape << " | " << joined(f.classes, ", ") << " | "
                << (f.sparseRefused ? "refused" : "judged on stored elements") << " | "
                << (f.complexRefused ? "refused" : "real part") << " | " << cell(f.rule.empty() ? "-" : f.rule)
                << " | " << joined(f.identifiers, "<br>", true) << " |\n";
        out << "\n";
    }
    if (!e.refusals.empty())
        out << "- Refusals: " << joined(e.refusals, ", ", true) << "\n";
    if (!e.colors.empty()) {
        std::vector<std::string> colors;
        for (const catalog::ColorName& c : e.colors) {
            std::ostringstream s;
            s << c.name << " [" << c.red << " " << c.green << " " << c.blue << "]";
            colors.push_back(s.str());
        }
        out << "- Color names: " << joined(colors, ", ", true) << "\n";
    }
    out << "- Used by: " << (usedBy.empty() ? std::string("no console property") : joined(usedBy, ", ", true))
        << "\n\n";
}

std::string reference()
{
    nyro::installHostTypes();
    javabridge::install();
    KDInitialize_vxdatatypes();
    const std::vector<catalog::TypeEntry> all = catalog::types();
    const auto uses = propertiesByType();

    std::ostringstream out;
    out << "# Property types\n\n"
        << "Generated from the library's catalog and the console's class table by `docs/gen_types.cpp`\n"
        << "(`ninja -C build vx_types_doc`); do not edit by hand. The types are in registration order.\n\n"
        << "| Type | Family | Default |\n|---|---|---|\n";
    for (const catalog::TypeEntry& e : all)
        out << "| " << e.name << " | " << catalog::familyName(e.family) << " | "
            << cell(code(e.defaultValue.empty() ? "''" : e.defaultValue)) << " |\n";
    out << "\n";
    for (const catalog::TypeEntry& e : all) {
        const auto used = uses.find(e.name);
        writeType(out, e, used == uses.end() ? std::vector<std::string>{} : used->second);
    }
    std::string text = out.str();
    text.pop_back(); // one newline at the end
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    const bool check = argc == 3 && std::string(argv[1]) == "--check";
    if (argc != 2 && !check) {
        std::cerr << "usage: vx_gen_types [--check] FILE\n";
        return 2;
    }
    const char* path = argv[argc - 1];
    const std::string text = reference();
    if (check) {
        std::ifstream in(path, std::ios::binary);
        const std::string committed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (committed == text)
            return 0;
        std::cerr << path << " is out of date: run `ninja -C build vx_types_doc` and commit it\n";
        return 1;
    }
    std::ofstream(path, std::ios::binary) << text;
    return 0;
}
