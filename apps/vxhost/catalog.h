// What the console tells a user about accepted values, read from the
// library's catalog: `values`, `set(H, 'NAME')` without a value, `schema`, and
// the one-line hint added to the answer of a refused property value.
#pragma once

#include <string>
#include <vector>

#include "evaluator.h"
#include "json.h"

namespace vxhost {

// values TYPE, values(H, 'NAME'): what a type or an object's property accepts.
Value runValues(Evaluator& ev, Arguments& args);
// schema: every registered type and every class with its properties.
Value runSchema(Evaluator& ev, Arguments& args);

// The names an enumeration (or the on/off boolean) takes, in table order;
// none for other types.
std::vector<std::string> enumerationNames(const char* typeName);

// The property setter notes the type that refused a value and the identifier
// it raised; the session asks for the hint once the statement failed with
// identifier `id` (empty unless that refusal is what stopped it), and forgets
// the note before each statement.
void noteRefusal(const char* typeName, const char* id);
void forgetRefusal();
std::string refusalHint(const std::string& id);

} // namespace vxhost
