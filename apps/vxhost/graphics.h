// The console as a graphics host: the classes of classes.def defined in the
// object system, the objects a session makes (a tree under the root), their
// numeric handles, and property access by the names users write.
//
// Objects are found by their numeric handles through the repository's
// conversion between "double" and "COSInterface"; properties are set and read
// through their types' "any" and "string" conversions, so every acceptance,
// refusal, default, text form and comparison is the property library's own.
// The host's own scalar types ("double scalar", ...) have no array conversion
// in the repository: the console, being the host, converts those itself.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "arrays.h"
#include "host.h"
#include "json.h"
#include "nyro/object_model.h"

namespace vxhost {

// The console's short names for the object system's types.
using nyro::COSInterface;
using nyro::COSInterfacePtr;
using nyro::COSNameID;
using nyro::COSPropInfo;
using nyro::COSValue;

struct GraphicsClass {
    std::string name;      // what users call it ("" for the shared base)
    nyro::COSClass* cls;
    std::string under;     // the class of a new object's parent ("" for none)
};

// A default a root, figure or axes holds for the objects made under it:
// `DefaultLineColor` names the class (line) and its property (Color).
struct DefaultRef {
    const GraphicsClass* cls;
    nyro::COSPropInfo* property;
    std::string name; // as the class and property are spelled: "DefaultLineColor"
};

// A property of the catalog left out because its type is not registered.
struct SkippedProperty {
    std::string className;
    std::string property;
    std::string type;
};

class Graphics {
public:
    // What makes the arrays of the catalog's default texts ("[0 0 1]", "zeros(3, 3)").
    using LiteralReader = std::function<QxArrayPtr(const char*)>;
    // Defines the catalog's classes (once per process) and makes the root;
    // `warn`: a line on standard error names the properties left out.
    Graphics(const Library& library, bool warn, const LiteralReader& read);
    // Deletes every object left, without running callbacks.
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    const Library& library() const { return library_; }

    // ---- classes
    static const std::vector<GraphicsClass>& classes();
    static const std::vector<SkippedProperty>& skipped();
    // By the name users call it; null when there is none.
    static const GraphicsClass* classNamed(std::string_view name);
    // The catalog class of an object (its own or the nearest ancestor's).
    static const GraphicsClass* classOf(const nyro::COSInterface* obj);
    // The user's name of an object's class ("figure"), or its host class name.
    static std::string classNameOf(const nyro::COSInterface* obj);

    // ---- objects
    nyro::COSInterface* root() const { return root_.get(); }
    // A new object of `cls` under `parent` (its Parent property and the
    // parent's current-child property are set); an axes also gets its title
    // and labels. With `inherit`, each property takes the nearest default the
    // parent and its ancestors hold for the class.
    nyro::COSInterfacePtr create(const GraphicsClass& cls, nyro::COSInterface* parent, bool inherit = true);
    // The object a handle denotes; "vxhost:BadHandle" when it denotes none.
    nyro::COSInterfacePtr objectOf(double handle) const;
    // The handle of an object (-1 when it has none).
    static double handleOf(nyro::COSInterface* obj);
    // Every object of the session whose Parent is `obj`, in creation order.
    std::vector<nyro::COSInterfacePtr> childrenOf(const nyro::COSInterface* obj) const;
    // The Children property: what users made under `obj`, most recent first
    // (not the automatic title and labels, not listeners).
    std::vector<nyro::COSInterfacePtr> userChildren(const nyro::COSInterface* obj) const;
    // Whether `written` names Children (any letter case, or a prefix no other
    // property of `obj` begins with or is named by).
    static bool namesChildren(const nyro::COSInterface* obj, std::string_view written);
    // The user's delete: the object and its descendants (each deletion fires
    // "ObjectBeingDestroyed"); their handles are destroyed. Returns the handles.
    // An error a listener raised passes on once everything is deleted.
    std::vector<double> remove(nyro::COSInterface* obj);
    // The parent an object's Parent property holds, or null.
    static nyro::COSInterfacePtr parentOf(const nyro::COSInterface* obj);

    // ---- properties
    // The property `written` names on `obj`: exact name in any letter case
    // first, then a unique prefix. Raises vxhost:UnknownProperty or
    // vxhost:AmbiguousProperty.
    static nyro::COSPropInfo* property(const nyro::COSInterface* obj, std::string_view written);
    // Sets a property from a host array; a refused value leaves it unchanged
    // and fires nothing. Otherwise the object's "PreSet" listeners run before
    // the value is stored, its "PostSet" listeners after.
    static void set(nyro::COSInterface* obj, nyro::COSPropInfo* p, const qxArray* value);
    // The property's value as a new host array (object arrays as they come).
    static QxArrayPtr get(const nyro::COSInterface* obj, nyro::COSPropInfo* p);
    // A value of the property's type as a new host array.
    static QxArrayPtr arrayOf(nyro::COSPropInfo* p, nyro::COSValue v);
    // The property's text form, or null when its type gives none.
    static json::Value text(const nyro::COSInterface* obj, nyro::COSPropInfo* p);
    // A value of the property's type made from a host array, owned by the
    // caller (destroy it with the type).
    static nyro::COSValue valueFrom(nyro::COSPropInfo* p, const qxArray* a);
    static nyro::COSValue valueFrom(nyro::COSDataType* type, const char* property, const qxArray* a);

    // ---- defaults
    // The default `written` names on `obj` ("DefaultAxesXLim", any letter
    // case), or nullopt when `written` does not begin with "Default" or `obj`
    // holds no defaults. Raises vxhost:UnknownDefault for a name that begins
    // so but names no class and property.
    static std::optional<DefaultRef> defaultNamed(const nyro::COSInterface* obj, std::string_view written);
    // Sets the default from a host array, validated by the property's type;
    // 'remove' drops it and 'factory' sets the class's own default.
    void setDefault(nyro::COSInterface* holder, const DefaultRef& d, const qxArray* value);
    // The default `holder` or its nearest ancestor holds, else the class's own.
    QxArrayPtr getDefault(const nyro::COSInterface* holder, const DefaultRef& d) const;

    // ---- property listeners
    // A listener object under `target` that runs `callback` (made by the
    // Callback type's array converter) when `p` is set: event "PreSet" before
    // the value is stored, "PostSet" after. A callback's error goes to `log`
    // and does not undo the set. Deleting the listener object or the target
    // stops it.
    nyro::COSInterfacePtr addPropertyListener(nyro::COSInterface* target, nyro::COSPropInfo* p,
                                              const std::string& event, const qxArray* callback,
                                              std::vector<json::Value>* log);

    // Keeps a listener the session attached, so that it is silenced when
    // the session ends.
    void keep(nyro::COSListenerPtr listener) { listeners_.push_back(std::move(listener)); }

private:
    void forget(nyro::COSInterface* obj);
    void dropDefaults(const nyro::COSInterface* holder);

    struct HeldDefault {
        const nyro::COSInterface* holder;
        const GraphicsClass* cls;
        nyro::COSPropInfo* property;
        nyro::COSValue value; // owned: destroyed through the property's type
    };
    HeldDefault* heldDefault(const nyro::COSInterface* holder, const DefaultRef& d);
    const HeldDefault* nearestDefault(const nyro::COSInterface* from, const GraphicsClass* cls,
                                      const nyro::COSPropInfo* p) const;

    const Library& library_;
    nyro::COSInterfacePtr root_;
    // Every live object of the session, in creation order (the root first).
    std::vector<nyro::COSInterfacePtr> objects_;
    std::vector<nyro::COSListenerPtr> listeners_;
    // Objects whose deletion is under way (their DeleteFcn may be running).
    std::vector<nyro::COSInterface*> deleting_;
    // Objects made with others (the title and labels of axes): not Children.
    std::vector<const nyro::COSInterface*> automatic_;
    std::vector<HeldDefault> defaults_;
};

// Host arrays and handles as JSON: a double array flagged as handles becomes
// {"handle":H,"class":"figure"} for one handle and a list of those otherwise;
// an object array the same way, through its elements' handles.
json::Value encodeHandles(const qxArray* handles);
json::Value encodeObjects(const qxArray* objects);

} // namespace vxhost
