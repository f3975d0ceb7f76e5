#include "store.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

#include "encode.h"
#include "messages.h"

namespace vxhost {

namespace {

constexpr const char* kFormat = "vxhost objects";
constexpr int kVersion = 1;
// The title and labels an axes makes with itself.
constexpr const char* kLabelSlots[] = {"Title", "XLabel", "YLabel", "ZLabel"};
// Properties the tree itself restores: where an object is and what its
// parent's current child is.
constexpr std::string_view kStructural[] = {"Parent", "CurrentFigure", "CurrentAxes", "Title", "XLabel", "YLabel",
                                            "ZLabel"};

bool structural(std::string_view name)
{
    return std::find(std::begin(kStructural), std::end(kStructural), name) != std::end(kStructural);
}

// Whether the array reads back into the same value: object arrays and
// function handles name things of this session only.
bool restorable(const qxArray* a)
{
    if (!a)
        return true;
    if (qxIsObject(a) || qxIsFunctionHandle(a))
        return false;
    qxSize n = qxGetNumberOfElements(a);
    if (qxIsCell(a))
        for (qxSize i = 0; i < n; ++i)
            if (!restorable(qxGetCell(a, i)))
                return false;
    if (qxIsStruct(a))
        for (qxSize i = 0; i < n; ++i)
            for (int f = 0; f < qxGetNumberOfFields(a); ++f)
                if (!restorable(qxGetFieldByNumber(a, i, f)))
                    return false;
    return true;
}

// The encoding of the array when the property's type reads it back, from the
// written JSON, into a value equal to `v`; null otherwise. Not every type's
// array form is one its array converter takes, and a text holding an unpaired
// UTF-16 surrogate is written as an escape JSON readers refuse.
json::Value encodingThatReadsBack(COSPropInfo* p, COSValue v, const qxArray* a)
{
    if (!restorable(a))
        return nullptr;
    json::Value encoded = encodeArray(a);
    std::string why;
    QxArrayPtr read;
    try {
        read = decodeArray(json::Value::parse(json::dump(encoded)), why);
    } catch (const json::Value::exception&) {
        return nullptr;
    }
    COSValue back;
    try {
        back = read ? Graphics::valueFrom(p, read.get()) : COSValue();
    } catch (const Quillmark::System::IUserException&) {
        return nullptr;
    }
    bool equal = read && p->getDataType()->isEqual(back, v);
    p->getDataType()->destroy(back);
    return equal ? encoded : json::Value();
}

COSInterface* labelOf(const COSInterface* axes, const char* slot)
{
    COSPropInfo* p = axes->getClass()->findProperty(COSNameID(slot));
    return p ? nyro::pointerValue<COSInterface*>(p->getValue(axes)) : nullptr;
}

json::Value propertiesOf(const COSInterface* obj, const std::string& path, json::Value& skipped)
{
    json::Value props = json::Value::object();
    for (COSPropInfo* p : obj->getClass()->getProperties()) {
        if (structural(p->getName()))
            continue;
        COSValue v = p->getValue(obj);
        if (p->getDataType()->isEqual(v, p->getDefaultValue()))
            continue;
        QxArrayPtr a = Graphics::arrayOf(p, v);
        if (json::Value encoded = encodingThatReadsBack(p, v, a.get()); !encoded.is_null())
            props[p->getName()] = std::move(encoded);
        else
            skipped.push_back(json::Value{{"object", path}, {"property", p->getName()}});
    }
    return props;
}

json::Value nodeOf(const Graphics& g, COSInterface* obj, const std::string& path, json::Value& skipped)
{
    json::Value node{{"class", Graphics::classNameOf(obj)}, {"properties", propertiesOf(obj, path, skipped)}};
    if (Graphics::classNameOf(obj) == "axes") {
        json::Value labels = json::Value::object();
        for (const char* slot : kLabelSlots)
            if (COSInterface* label = labelOf(obj, slot))
                labels[slot] = json::Value{{"properties", propertiesOf(label, path + "." + slot, skipped)}};
        node["labels"] = std::move(labels);
    }
    std::vector<COSInterfacePtr> children = g.userChildren(obj);
    std::reverse(children.begin(), children.end()); // in the order they were made
    json::Value list = json::Value::array();
    for (std::size_t i = 0; i < children.size(); ++i) {
        std::string at = path + "/" + Graphics::classNameOf(children[i].get()) + "(" + std::to_string(i + 1) + ")";
        list.push_back(nodeOf(g, children[i].get(), at, skipped));
    }
    node["children"] = std::move(list);
    return node;
}

// A value made by a property's type, destroyed by it unless handed on.
struct OwnedValue {
    COSPropInfo* property;
    COSValue value;
    OwnedValue(COSPropInfo* p, COSValue v) : property(p), value(v) {}
    OwnedValue(OwnedValue&& o) noexcept : property(std::exchange(o.property, nullptr)), value(o.value) {}
    OwnedValue& operator=(OwnedValue&&) = delete;
    ~OwnedValue()
    {
        if (property)
            property->getDataType()->destroy(value);
    }
};

[[noreturn]] void malformed(const std::string& file, const std::string& why)
{
    fail(msg::LoadMalformed, file.c_str(), why.c_str());
}

} // namespace

struct LoadedTree::Node {
    const GraphicsClass* cls = nullptr;
    std::vector<OwnedValue> properties;
    std::vector<std::pair<const char*, std::unique_ptr<Node>>> labels;
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

using Node = LoadedTree::Node;

void readProperties(Node& node, const json::Value& j, const std::string& path, const std::string& file)
{
    auto it = j.find("properties");
    if (it == j.end())
        return;
    if (!it->is_object())
        malformed(file, "the properties of " + path + " are no object");
    for (auto p = it->begin(); p != it->end(); ++p) {
        const std::string& name = p.key();
        COSPropInfo* prop = node.cls->cls->findProperty(COSNameID(name.c_str()));
        if (!prop || structural(name))
            fail(msg::LoadUnknownProperty, file.c_str(), name.c_str(), node.cls->name.c_str(), path.c_str());
        std::string why;
        QxArrayPtr a = decodeArray(*p, why);
        if (!a)
            malformed(file, "property " + name + " of " + path + ": " + why);
        try {
            node.properties.emplace_back(prop, Graphics::valueFrom(prop, a.get()));
        } catch (const Quillmark::System::IUserException& e) {
            std::string text = std::string(e.GetMessageTxt()) + " (property " + name + " of " + path + ")";
            qxErrMsgIdAndTxt(e.GetID(), "%s", text.c_str());
        }
    }
}

std::unique_ptr<Node> readNode(const json::Value& j, const GraphicsClass* parent, const std::string& at,
                               const std::string& file)
{
    if (!j.is_object() || !j.contains("class") || !j["class"].is_string())
        malformed(file, "an object without a class " + (at.empty() ? std::string("at the top") : "under " + at));
    const std::string& name = j["class"].get_ref<const std::string&>();
    std::string path = at.empty() ? name : at;
    auto node = std::make_unique<Node>();
    node->cls = Graphics::classNamed(name);
    if (!node->cls || node->cls->under.empty())
        fail(msg::LoadUnknownClass, file.c_str(), name.c_str(), path.c_str());
    if (parent && node->cls->under != parent->name)
        malformed(file, "a " + name + " cannot be under a " + parent->name + " (" + path + ")");
    readProperties(*node, j, path, file);
    if (auto labels = j.find("labels"); labels != j.end()) {
        if (!labels->is_object() || node->cls->name != "axes")
            malformed(file, "labels belong to axes as an object (" + path + ")");
        for (const char* slot : kLabelSlots) {
            auto l = labels->find(slot);
            if (l == labels->end())
                continue;
            if (!l->is_object())
                malformed(file, std::string("the ") + slot + " of " + path + " is no object");
            auto label = std::make_unique<Node>();
            label->cls = Graphics::classNamed("label");
            readProperties(*label, *l, path + "." + slot, file);
            node->labels.emplace_back(slot, std::move(label));
        }
        if (node->labels.size() != labels->size())
            malformed(file, "the labels of " + path + " are Title, XLabel, YLabel and ZLabel");
    }
    if (auto children = j.find("children"); children != j.end()) {
        if (!children->is_array())
            malformed(file, "the children of " + path + " are no list");
        for (std::size_t i = 0; i < children->size(); ++i) {
            const json::Value& c = (*children)[i];
            std::string cname = c.is_object() && c.contains("class") && c["class"].is_string()
                                    ? c["class"].get<std::string>()
                                    : std::string("?");
            node->children.push_back(
                readNode(c, node->cls, path + "/" + cname + "(" + std::to_string(i + 1) + ")", file));
        }
    }
    return node;
}

void adoptAll(Node& node, COSInterface* obj)
{
    for (OwnedValue& v : node.properties) {
        COSPropInfo* p = std::exchange(v.property, nullptr);
        p->adoptValue(obj, v.value);
    }
}

COSInterfacePtr makeNode(Graphics& g, Node& node, COSInterface* parent)
{
    // Objects are made as saved: no default of an ancestor applies.
    COSInterfacePtr obj = g.create(*node.cls, parent, false);
    adoptAll(node, obj.get());
    for (auto& [slot, label] : node.labels)
        if (COSInterface* l = labelOf(obj.get(), slot))
            adoptAll(*label, l);
    for (std::unique_ptr<Node>& c : node.children)
        makeNode(g, *c, obj.get());
    return obj;
}

} // namespace

json::Value saveTree(const Graphics& graphics, COSInterface* obj, const std::string& file)
{
    if (obj == graphics.root())
        fail(msg::SaveRoot);
    json::Value skipped = json::Value::array();
    json::Value tree = nodeOf(graphics, obj, Graphics::classNameOf(obj), skipped);
    json::Value doc{{"format", kFormat}, {"version", kVersion}, {"object", std::move(tree)}, {"skipped", skipped}};
    std::string text = json::dump(doc);
    text += '\n';
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out)
        fail(msg::SaveFailed, file.c_str(), std::strerror(errno ? errno : EIO));
    return skipped;
}

LoadedTree::LoadedTree() = default;
LoadedTree::~LoadedTree() = default;

const GraphicsClass& LoadedTree::topClass() const { return *top_->cls; }
const json::Value& LoadedTree::skipped() const { return skipped_; }

COSInterfacePtr LoadedTree::make(Graphics& graphics, COSInterface* parent)
{
    COSInterfacePtr top;
    try {
        top = makeNode(graphics, *top_, parent);
    } catch (...) {
        // Only running out of memory gets here: what was made goes again.
        if (top)
            try {
                graphics.remove(top.get());
            } catch (...) {
            }
        throw;
    }
    return top;
}

std::unique_ptr<LoadedTree> readTree(const std::string& file)
{
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        fail(msg::LoadNoFile, file.c_str(), std::strerror(errno ? errno : ENOENT));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        fail(msg::LoadNoFile, file.c_str(), std::strerror(errno ? errno : EIO));
    json::Value doc;
    try {
        doc = json::Value::parse(text);
    } catch (const json::Value::parse_error& e) {
        malformed(file, "the JSON breaks off or is damaged at byte " + std::to_string(e.byte));
    }
    if (!doc.is_object() || !doc.contains("format") || doc["format"] != kFormat)
        malformed(file, std::string("it does not begin with \"format\":\"") + kFormat + "\"");
    if (!doc.contains("version") || doc["version"] != kVersion)
        malformed(file, "its version is not " + std::to_string(kVersion));
    if (!doc.contains("object"))
        malformed(file, "it holds no \"object\"");
    std::unique_ptr<LoadedTree> tree(new LoadedTree);
    tree->top_ = readNode(doc["object"], nullptr, "", file);
    if (auto s = doc.find("skipped"); s != doc.end() && s->is_array())
        tree->skipped_ = *s;
    else
        tree->skipped_ = json::Value::array();
    return tree;
}

} // namespace vxhost
