// Everything the property library offers to other programs: the module entry
// points, the registration functions of its types, the value classes with their
// predicates, the helpers other graphics libraries call, the exceptions that
// reach callers, and the host-side wrappers of vxdatatypes/host.h.
#pragma once

#include "frame/errors.h"
#include "frame/handles.h"
#include "frame/registry.h"

#include "enums/enum_string_type.h"
#include "enums/enum_types.h"
#include "enums/onoff.h"

#include "arrays/array_types.h"

#include "geometry/position.h"
#include "geometry/records.h"
#include "geometry/roundoff.h"
#include "geometry/text_position.h"
#include "geometry/units.h"

#include "color/color.h"
#include "color/color_table.h"
#include "color/color_types.h"

#include "styles/line_styles.h"
#include "styles/string_types.h"
#include "styles/tick.h"

#include "objects/callback.h"
#include "objects/references.h"

#include "filters/filters.h"

#include "vxdatatypes/host.h"
