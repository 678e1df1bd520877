#include "platform/native_library.h"

#include <dlfcn.h>
#include <ffi.h>

#include <cstring>

namespace qv::platform {

void* OpenNativeLibrary(const std::string& path) {
  if (path.empty()) return nullptr;
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) return nullptr;
  void* self = dlopen(nullptr, RTLD_NOW);
  const bool runner = library == self;
  if (self) dlclose(self);
  if (runner) {
    dlclose(library);
    return nullptr;
  }
  return library;
}

void CloseNativeLibrary(void* library) {
  if (library) dlclose(library);
}

void* NativeSymbol(void* library, const std::string& name) {
  if (!library || name.empty()) return nullptr;
  return dlsym(library, name.c_str());
}

void CallNative(void* entry, const std::vector<NativeArgument>& arguments, bool stringResult, double& real,
                std::string& text) {
  real = 0;
  text.clear();
  const size_t n = arguments.size();
  std::vector<ffi_type*> types(n);
  std::vector<void*> values(n);
  std::vector<const char*> strings(n);
  std::vector<double> reals(n);
  for (size_t k = 0; k < n; ++k) {
    if (arguments[k].isString) {
      types[k] = &ffi_type_pointer;
      strings[k] = arguments[k].text.c_str();
      values[k] = &strings[k];
    } else {
      types[k] = &ffi_type_double;
      reals[k] = arguments[k].real;
      values[k] = &reals[k];
    }
  }
  ffi_cif cif;
  if (ffi_prep_cif(&cif, FFI_DEFAULT_ABI, unsigned(n), stringResult ? &ffi_type_pointer : &ffi_type_double,
                   types.data()) != FFI_OK)
    return;
  if (stringResult) {
    const char* result = nullptr;
    ffi_call(&cif, FFI_FN(entry), &result, values.data());
    if (result) text.assign(result, std::strlen(result));
  } else {
    ffi_call(&cif, FFI_FN(entry), &real, values.data());
  }
}

}  // namespace qv::platform
