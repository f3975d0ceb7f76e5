// Handle table of the GUI-objects library: numeric handles bound to handle
// records. A record is a block its creator owns whose first member is a 32-bit
// object class number (get_any_object_type reads it); the table only binds and
// unbinds, it never frees a record.
//
// Handles are of two kinds: figure handles, positive integers (and 0, the
// root's, which only assign_figure_handle gives), and other handles, which are
// never integers and never reused.
#pragma once

#include <cstddef>

// A new non-integer handle bound to `record`; -1 for a null record.
double new_handle(void* record);
// The smallest positive integer not bound, bound to `record`; -1 for a null record.
double new_figure_handle(void* record);
// Binds the integer `n` (0 or more) to `record`: `n` itself, or -1 when `n` is
// negative or already bound, or `record` is null.
double assign_figure_handle(void* record, int n);
// The record bound to `h`, or null.
void* handle2pointer(double h);
// Unbinds `h` (nothing when it is not bound).
void destroy_handle(double h);
// Binds `h` to `record`; a null record unbinds it.
void rebind_handle(double h, void* record);
// The class number a record starts with; -1 for a null record.
int get_any_object_type(const void* record);

namespace gui_objects::test {
// Handles bound now.
std::size_t boundHandles();
}
