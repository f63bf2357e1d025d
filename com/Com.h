#pragma once
// The component runtime for clients: types, strings, interfaces, activation
// and type libraries.
//
//   CoInitialize(nullptr);
//   ILogoConverter* converter = nullptr;
//   if (SUCCEEDED(CoCreateInstance(CLSID_LogoConverter, nullptr, CLSCTX_ALL,
//                                  IID_ILogoConverter, reinterpret_cast<void**>(&converter)))) {
//       BSTR text = com::Utf8ToBstr("...");
//       ...
//       SysFreeString(text);
//       converter->Release();
//   }
//   CoUninitialize();

#include "com/Activation.h"
#include "com/Bstr.h"
#include "com/Dispatch.h"
#include "com/Guid.h"
#include "com/HResult.h"
#include "com/TypeLib.h"
#include "com/Types.h"
#include "com/Unknown.h"
#include "com/Variant.h"
