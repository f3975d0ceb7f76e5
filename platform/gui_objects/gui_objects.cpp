#include "gui_objects/gui_objects.h"

namespace gui_objects {

void InitializationCallbackRegistrar::initialize()
{
    // A callback that throws ends the run. The callbacks that completed are not
    // run again by a later call; the one that threw is tried again.
    while (next_ < callbacks_.size()) {
        callbacks_[next_]();
        ++next_;
    }
}

ArrayException::~ArrayException() = default;
NullArrayException::~NullArrayException() = default;
InvalidArrayClassException::~InvalidArrayClassException() = default;
InvalidArrayShapeException::~InvalidArrayShapeException() = default;
InvalidArrayDataException::~InvalidArrayDataException() = default;
InvalidWidthException::~InvalidWidthException() = default;

qxClassID getClassID(const qxArray* a) { return qxGetClassID(a); }

namespace convert_from_string_utils {
ParseException::~ParseException() = default;
}

} // namespace gui_objects
