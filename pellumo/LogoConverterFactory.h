#pragma once
// The class object of LogoConverter: made on the first request and kept by
// the module. While a client holds a reference to it, it holds a lock on the
// module; LockServer adds or takes off a lock of its own.

#include "com/Unknown.h"

namespace pellumo {

// The class object, without a reference added.
IClassFactory& LogoConverterFactory();

} // namespace pellumo
