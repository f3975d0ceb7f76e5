// The floor of the load benchmark: a module with one function and nothing else.
extern "C" __attribute__((visibility("default"))) int vx_load_floor_entry() { return 1; }
