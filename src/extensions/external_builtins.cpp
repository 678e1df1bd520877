// external_define, external_call, external_free and their fixed-arity forms. Secure mode refuses
// them all; every message is a non-fatal error of the running action.
#include "extensions/external_builtins.h"

#include "code/errors.h"
#include "extensions/external_functions.h"
#include "system/secure_mode.h"

namespace qv::extensions {

namespace {

using code::BuiltinCall;

bool refusedInSecureMode() {
  if (!system::SecureMode()) return false;
  code::ReportActionError("In secure mode you cannot use DLLs");
  return true;
}

void define(BuiltinCall& c, const std::string& library, const std::string& name, const ExternalSignature& signature) {
  const int32_t index = DefineExternal(library, name, signature);
  if (index < 0) code::ReportActionError("Error defining an external function.");
  c.result = double(index);
}

// external_define(dll, name, calltype, restype, argnumb, argtype1, ..., argtypeN)
void external_define(BuiltinCall& c) {
  if (refusedInSecureMode()) return;
  if (c.argc < 5 || c.argc != c.integer(4) + 5) {
    code::ReportActionError("Wrong number of arguments to external_define()");
    return;
  }
  ExternalSignature s;
  s.argumentCount = c.integer(4);
  if (s.argumentCount > kMaxExternalArguments) {
    code::ReportActionError("DLL functions can have at most 16 arguments");
    return;
  }
  for (int k = 0; k < s.argumentCount; ++k) s.stringArgument[size_t(k)] = c.integer(5 + k) == 1;
  if (s.argumentCount >= 5)
    for (int k = 0; k < s.argumentCount; ++k)
      if (c.integer(5 + k) != 0) {
        code::ReportActionError("DLL functions with more than 4 arguments cannot have string arguments");
        return;
      }
  s.convention = c.integer(2) == 1 ? Convention::Standard : Convention::C;
  s.stringResult = c.integer(3) == 1;
  define(c, c.string(0), c.string(1), s);
}

// external_defineN for 0 to 4 typed arguments: dll, name, argtype1 ... argtypeN, restype.
template <int N>
void external_define_typed(BuiltinCall& c) {
  if (refusedInSecureMode()) return;
  ExternalSignature s;
  s.argumentCount = N;
  for (int k = 0; k < N; ++k) s.stringArgument[size_t(k)] = c.integer(2 + k) == 1;
  s.stringResult = c.integer(2 + N) == 1;
  define(c, c.string(0), c.string(1), s);
}

// external_defineN for 5 to 8 real arguments: dll, name, restype.
template <int N>
void external_define_reals(BuiltinCall& c) {
  if (refusedInSecureMode()) return;
  ExternalSignature s;
  s.argumentCount = N;
  s.stringResult = c.integer(2) == 1;
  define(c, c.string(0), c.string(1), s);
}

void external_call(BuiltinCall& c) {
  if (refusedInSecureMode() || c.argc < 1) return;
  c.result = CallExternal(c.integer(0), c.args + 1, c.argc - 1);
}

void external_free(BuiltinCall& c) {
  if (refusedInSecureMode()) return;
  FreeExternal(c.string(0));
}

const code::BuiltinFunction kExternalFunctions[] = {
    {"external_define", external_define, code::kAnyArguments},
    {"external_call", external_call, code::kAnyArguments},
    {"external_free", external_free, 1},
    {"external_define0", external_define_typed<0>, 3},
    {"external_define1", external_define_typed<1>, 4},
    {"external_define2", external_define_typed<2>, 5},
    {"external_define3", external_define_typed<3>, 6},
    {"external_define4", external_define_typed<4>, 7},
    {"external_define5", external_define_reals<5>, 3},
    {"external_define6", external_define_reals<6>, 3},
    {"external_define7", external_define_reals<7>, 3},
    {"external_define8", external_define_reals<8>, 3},
    {"external_call0", external_call, 1},
    {"external_call1", external_call, 2},
    {"external_call2", external_call, 3},
    {"external_call3", external_call, 4},
    {"external_call4", external_call, 5},
    {"external_call5", external_call, 6},
    {"external_call6", external_call, 7},
    {"external_call7", external_call, 8},
    {"external_call8", external_call, 9},
};

}  // namespace

code::BuiltinFamily ExternalFunctions() { return kExternalFunctions; }

}  // namespace qv::extensions
