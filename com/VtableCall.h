#pragma once
// Calls an interface method by its vtable slot, the way late-bound calls
// reach it: the object pointer first, then the string arguments.

#include "com/Types.h"

#include <cstddef>

namespace com {

// Calls slot of the interface at instance with count strings (at most 8).
HRESULT CallStringMethod(void* instance, std::size_t slot, const BSTR* args, std::size_t count);

} // namespace com
