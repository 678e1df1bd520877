// The execution context of one run of a CCode, shared by the interpreter and the numeric form.
//
// Locals are a slot table created by the first write, so that a local that was never written
// ("absent") stays different from one holding 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "code/ccode.h"
#include "code/numeric_form.h"
#include "code/variables.h"
#include "code/instance_base.h"

namespace qv::code {

struct LocalSlot {
  bool exists = false;
  RVariable var;
};

struct Frame {
  Frame(CInstanceBase* s, CInstanceBase* o, const CCode* c) : self(s), other(o), code(c) {}
  // Most executions (every call of a script without locals) never create their locals: leaving
  // them is then one test, inline.
  ~Frame() {
    if (locals || extraLocals) releaseLocals();
  }
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;

  CInstanceBase* self;
  CInstanceBase* other;
  const CCode* code;
  bool localsCreated = false;
  bool numericFailed = false;  // set by a numeric form that could not finish
  LocalSlot* locals = nullptr;  // by slot; allocated by the first write (localsCreated)
  CVariableList* extraLocals = nullptr;  // locals reached through a computed `local` prefix (owned)

  __attribute__((noinline, cold)) void releaseLocals() {
    delete[] locals;
    delete extraLocals;
  }
  void createLocals() {
    if (localsCreated) return;
    localsCreated = true;
    const int32_t count = code->localSlotCount();
    if (count > 0) locals = new LocalSlot[static_cast<size_t>(count)];
  }
  // The value of a local slot when it exists, else nullptr.
  const RValue* localValue(int32_t slot) const {
    if (!localsCreated) return nullptr;
    const LocalSlot& s = locals[static_cast<size_t>(slot)];
    return s.exists ? &s.var.value : nullptr;
  }
};

// A fixed variable that lives in the executing instance's own store: an unprefixed or `self`
// user variable that no executed `globalvar` has made global.
inline bool IsSelfUser(const Node* n) {
  return n->id >= kUserVariableBase &&
         (n->instance == -1 || (n->instance == -6 && !IsDeclaredGlobal(n->id)));
}

// The variable of a fixed self or unprefixed user variable node, through the node's cache of its
// position in the store (checked on every use); nullptr when the instance has no such variable.
// The search behind a cache miss, out of line so that the callers' hit path stays small.
__attribute__((noinline)) inline RVariable* SelfVariableSearch(CVariableList& list, const Node* n) {
  const int32_t p = list.positionOf(n->id);
  if (p < 0) return nullptr;
  n->cache = p;
  return list.at(static_cast<size_t>(p));
}
inline RVariable* SelfVariable(const Frame& f, const Node* n) {
  CVariableList& list = f.self->variables;
  const int32_t c = n->cache;
  if (c >= 0 && static_cast<size_t>(c) < list.size()) {
    RVariable* v = list.at(static_cast<size_t>(c));
    if (v->id == n->id) return v;
  }
  return SelfVariableSearch(list, n);
}

// Runs a numeric form; false (nothing evaluated that could be observed, nothing recorded) sends the
// caller to the tree walk.
inline bool RunNumeric(const NumericForm& form, Frame& f, double& out) {
  f.numericFailed = false;
  out = form.root->fn(*form.root, f);
  return !f.numericFailed;
}

}  // namespace qv::code
