#include <map>
#include <memory>
#include <mutex>

#include "javabridge/javabridge.h"

struct _jobject {
    std::shared_ptr<const javabridge::JavaObject> object;
};

namespace {

// Live references, each owning its entry; the table lives as long as the process.
struct ReferenceTable {
    std::mutex lock;
    std::map<_jobject*, std::unique_ptr<_jobject>> references;
};

ReferenceTable& references()
{
    static auto* t = new ReferenceTable;
    return *t;
}

std::shared_ptr<const javabridge::JavaObject> targetOf(jobject j)
{
    auto& t = references();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.references.find(j);
    return it == t.references.end() ? nullptr : it->second->object;
}

jobject newReference(std::shared_ptr<const javabridge::JavaObject> object)
{
    auto entry = std::make_unique<_jobject>(_jobject{std::move(object)});
    jobject j = entry.get();
    auto& t = references();
    std::lock_guard<std::mutex> g(t.lock);
    t.references.emplace(j, std::move(entry));
    return j;
}

const char* closestJavaClass(const qxArray* a)
{
    if (qxIsChar(a) && qxGetNumberOfDimensions(a) == 2 && qxGetM(a) == 1)
        return "java.lang.String";
    if (qxIsScalar(a) && !qxIsSparse(a) && !qxIsComplex(a)) {
        if (qxIsDouble(a))
            return "java.lang.Double";
        if (qxIsLogical(a))
            return "java.lang.Boolean";
    }
    return javabridge::kArrayReferenceClass;
}

} // namespace

namespace javabridge {

const JavaObject* objectOf(jobject reference) { return targetOf(reference).get(); }

bool isSameObject(jobject a, jobject b)
{
    auto x = targetOf(a);
    return x && x == targetOf(b);
}

std::size_t liveReferences()
{
    auto& t = references();
    std::lock_guard<std::mutex> g(t.lock);
    return t.references.size();
}

} // namespace javabridge

jobject javaConvertKeldarToClosestJavaObject(const qxArray* a)
{
    if (!a)
        return nullptr;
    return newReference(std::make_shared<const javabridge::JavaObject>(a, closestJavaClass(a)));
}

qxArray* javaConvertJavaObjectToClosestKeldarArray(jobject j)
{
    auto object = targetOf(j);
    return object ? qxCreateSharedDataCopy(object->array()) : nullptr;
}

jobject kdjNewGlobalRef(jobject j, bool releaseSource)
{
    auto object = targetOf(j);
    if (!object)
        return nullptr;
    jobject fresh = newReference(std::move(object));
    if (releaseSource)
        kdjDeleteGlobalRef(j);
    return fresh;
}

void kdjDeleteGlobalRef(jobject j)
{
    std::unique_ptr<_jobject> gone;
    auto& t = references();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.references.find(j);
    if (it == t.references.end())
        return;
    gone = std::move(it->second);
    t.references.erase(it);
}
