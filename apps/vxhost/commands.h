// The command table: every statement and function of the console, one row each.
#pragma once

#include <span>

#include "evaluator.h"

namespace vxhost {

std::span<const Command> commandTable();

} // namespace vxhost
