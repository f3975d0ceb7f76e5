// Object trees in files: save writes the tree under an object as JSON, load
// reads one back. A file holds each object's class, the properties that differ
// from their class's defaults as the host arrays their types give (in the
// console's JSON encoding of arrays), the title and labels of axes, and the
// children in the order they were made:
//
//   {"format":"vxhost objects","version":1,
//    "object":{"class":"figure","properties":{"Name":ARRAY},
//              "children":[{"class":"axes","properties":{...},"labels":{"Title":{"properties":{...}}},
//                           "children":[...]}]},
//    "skipped":[{"object":"figure/axes(1)","property":"ButtonDownFcn"}]}
//
// Loading is all or nothing: the whole file is read and every value converted
// by its property's type before the first object is made.
#pragma once

#include <memory>
#include <string>

#include "graphics.h"
#include "json.h"

namespace vxhost {

// Writes the tree under `obj` (not the root) to `file`. Returns the
// properties left out because their arrays cannot be read back (object
// references, function handles), as [{"object":PATH,"property":NAME}].
json::Value saveTree(const Graphics& graphics, nyro::COSInterface* obj, const std::string& file);

// A tree read from a file with every value made; nothing exists yet.
class LoadedTree {
public:
    ~LoadedTree();
    // The class of the top object (its parent is made by the caller).
    const GraphicsClass& topClass() const;
    // What the file lists as skipped when it was saved.
    const json::Value& skipped() const;
    // Makes the objects under `parent`; returns the top one.
    nyro::COSInterfacePtr make(Graphics& graphics, nyro::COSInterface* parent);

    struct Node;

private:
    friend std::unique_ptr<LoadedTree> readTree(const std::string& file);
    LoadedTree();
    std::unique_ptr<Node> top_;
    json::Value skipped_;
};

// Reads and checks `file`: vxhost:LoadNoFile, vxhost:LoadMalformed,
// vxhost:LoadUnknownClass, vxhost:LoadUnknownProperty, or the identifier and
// message of the type that refuses a value (naming the object and property).
std::unique_ptr<LoadedTree> readTree(const std::string& file);

} // namespace vxhost
