// What the shared object exports. The library is built with hidden visibility;
// VX_API marks the declarations that make up its interface: the module entry
// points, the per-type registration functions, the helpers other graphics
// libraries call, the value classes and the exceptions that reach callers.
#pragma once

#define VX_API __attribute__((visibility("default")))
