// Building a list value from text through the string literal parser.
#pragma once

#include "frame/datatype.h"
#include "gui_objects/string_parse.h"

namespace datatypes {

// A new List built from the host array the text denotes, or a new default List
// when the parser reads none. The parsed array is a temporary, freed here.
template <class List>
COSValue listFromText(COSValue s)
{
    gui_objects::QxArrayPtr array(gui_objects::convert_from_string_utils::parse_strings(textOf(s)));
    return slotOf(array ? new List(array.get()) : new List());
}

} // namespace datatypes
