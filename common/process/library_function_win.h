#pragma once
// A function of a DLL loaded at run time (LoadLibraryW), for what a program
// needs only now and then and so does not load at start-up.

#include <windows.h>

namespace tarvo {

// `name` of `module`, typed as `Function`; null when either is missing.
template <typename Function>
Function LibraryFunction(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace tarvo
