#include "gui_objects/handles.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>

namespace {

struct HandleTable {
    std::map<double, void*> bound;
    // Non-integer handles count up from 1 with this fraction added.
    double nextOther = 1.0;
};

// The table lives as long as the process, and with it whatever records are
// still bound when the process ends.
HandleTable& table()
{
    static auto* t = new HandleTable;
    return *t;
}

constexpr double otherFraction = 1.0 / 1024.0;

bool isKey(double h) { return !std::isnan(h); }

} // namespace

double new_handle(void* record)
{
    if (!record)
        return -1.0;
    auto& t = table();
    double h;
    do {
        h = t.nextOther + otherFraction;
        t.nextOther += 1.0;
    } while (t.bound.count(h));
    t.bound.emplace(h, record);
    return h;
}

double new_figure_handle(void* record)
{
    if (!record)
        return -1.0;
    auto& t = table();
    double n = 1.0;
    for (auto it = t.bound.lower_bound(1.0); it != t.bound.end() && it->first <= n; ++it)
        if (it->first == n)
            n += 1.0;
    t.bound.emplace(n, record);
    return n;
}

double assign_figure_handle(void* record, int n)
{
    if (!record || n < 0)
        return -1.0;
    return table().bound.emplace(static_cast<double>(n), record).second ? static_cast<double>(n) : -1.0;
}

void* handle2pointer(double h)
{
    if (!isKey(h))
        return nullptr;
    auto& t = table();
    auto it = t.bound.find(h);
    return it == t.bound.end() ? nullptr : it->second;
}

void destroy_handle(double h)
{
    if (isKey(h))
        table().bound.erase(h);
}

void rebind_handle(double h, void* record)
{
    if (!isKey(h))
        return;
    if (record)
        table().bound[h] = record;
    else
        table().bound.erase(h);
}

int get_any_object_type(const void* record)
{
    if (!record)
        return -1;
    std::int32_t type;
    std::memcpy(&type, record, sizeof type);
    return type;
}

namespace gui_objects::test {
std::size_t boundHandles() { return table().bound.size(); }
} // namespace gui_objects::test
