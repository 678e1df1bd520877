// The interpreter: a direct walk of the checked tree. Names are already ids, constants are folded,
// fixed prefixes are resolved, locals have slots and instance variables keep a per-site cache of
// their position in the store, so the walk does no lookups by name and no allocation for reals.
//
// Index:
//   1. frames, locals and the stack guard
//   2. variable access through specifiers
//   3. expressions and calls
//   4. statements
//   5. entry points
#include "code/interpreter.h"

#include <memory>
#include <string>
#include <vector>

#include "code/builtin_variables.h"
#include "code/debug_hook.h"
#include "code/errors.h"
#include "code/frame.h"
#include "code/instance_world.h"
#include "code/operators.h"
#include "code/registry.h"
#include "code/rounding.h"
#include "code/variables.h"
#include "code/instance_base.h"

namespace qv::code {

StatementObserver* g_statementObserver = nullptr;

CodeSettings& codeSettings() {
  static CodeSettings settings;
  return settings;
}

// ---- 1. frames, locals and the stack guard ----
namespace {

int g_executionDepth = 0;
const char* g_stackBase = nullptr;
int64_t g_stepsLeft = -1;

inline void copyValue(RValue& to, const RValue& from) { CopyValue(to, from); }

// roundToInt64 for the indices of the fast paths: the same ties-to-even result, computed inline
// for |x| < 2^51 (adding and removing 1.5 * 2^52 rounds to an integer in the default rounding
// mode); anything larger goes to the shared helper.
inline int64_t roundIndex(double x) {
  if (x > -2251799813685248.0 && x < 2251799813685248.0) {
    // Strict IEEE arithmetic (no fast-math, SSE2 doubles) keeps the compiler from folding this.
    const double shifted = x + 6755399441055744.0;
    return static_cast<int64_t>(shifted - 6755399441055744.0);
  }
  return roundToInt64(x);
}


bool fail(Frame& f, int32_t position, std::string_view message) {
  RecordCodeError(*f.code, position, message);
  return false;
}

bool tick(Frame& f, int32_t position) {
  if (g_stepsLeft < 0) return true;
  if (g_stepsLeft == 0) return fail(f, position, kBudgetMessage);
  --g_stepsLeft;
  return true;
}

}  // namespace

void SetStepBudget(int64_t steps) { g_stepsLeft = steps; }

// ---- 2. variable access through specifiers ----
namespace {

bool readInstance(CInstanceBase* inst, int32_t id, int32_t index, RValue& out) {
  if (id < kBuiltinVariableLimit) return ReadBuiltinVariable(id, inst, index, out);
  const RValue* v = inst->variables.get(id, index);
  if (!v) return false;
  copyValue(out, *v);
  return true;
}

bool writeInstance(CInstanceBase* inst, int32_t id, int32_t index, const RValue& value) {
  if (id < kBuiltinVariableLimit) return WriteBuiltinVariable(id, inst, index, value);
  return inst->variables.set(id, index, value);
}

CInstanceBase* firstLive() {
  InstanceWorld& w = instanceWorld();
  const int32_t n = w.count();
  for (int32_t i = 0; i < n; ++i) {
    CInstanceBase* inst = w.at(i);
    if (inst && !inst->destroyed) return inst;
  }
  return nullptr;
}

CInstanceBase* liveById(int32_t id) {
  CInstanceBase* inst = instanceWorld().findById(id);
  return inst && !inst->destroyed ? inst : nullptr;
}

bool readLocal(Frame& f, int32_t id, int32_t index, RValue& out) {
  if (!f.localsCreated) return false;
  const int32_t slot = f.code->localSlotOf(id);
  const RValue* v = nullptr;
  if (slot >= 0) {
    const LocalSlot& s = f.locals[static_cast<size_t>(slot)];
    if (!s.exists) return false;
    v = s.var.get(index);
  } else {
    if (!f.extraLocals) return false;
    v = f.extraLocals->get(id, index);
  }
  if (!v) return false;
  copyValue(out, *v);
  return true;
}

bool writeLocal(Frame& f, int32_t id, int32_t index, const RValue& value) {
  f.createLocals();
  const int32_t slot = f.code->localSlotOf(id);
  if (slot >= 0) {
    LocalSlot& s = f.locals[static_cast<size_t>(slot)];
    RValue* e = s.var.element(index);
    if (!e) return false;
    s.exists = true;
    *e = value;
    return true;
  }
  if (!f.extraLocals) f.extraLocals = new CVariableList();
  return f.extraLocals->set(id, index, value);
}

bool readRef(Frame& f, int32_t scope, int32_t id, int32_t index, RValue& out) {
  switch (scope) {
    case -7: return readLocal(f, id, index, out);
    case -6:
      if (IsDeclaredGlobal(id)) {
        const RValue* v = globalStore().list().get(id, index);
        if (!v) return false;
        copyValue(out, *v);
        return true;
      }
      return readInstance(f.self, id, index, out);
    case -5: {
      const RValue* v = globalStore().list().get(id, index);
      if (!v) return false;
      copyValue(out, *v);
      return true;
    }
    case -4: return false;
    case -3: {
      CInstanceBase* inst = firstLive();
      return inst && readInstance(inst, id, index, out);
    }
    case -2: return readInstance(f.other, id, index, out);
    case -1: return readInstance(f.self, id, index, out);
    default:
      break;
  }
  if (scope < -7) return false;
  CInstanceBase* inst = scope < kUserVariableBase ? instanceWorld().firstOfObject(scope) : liveById(scope);
  return inst && readInstance(inst, id, index, out);
}

bool writeRef(Frame& f, int32_t scope, int32_t id, int32_t index, const RValue& value) {
  switch (scope) {
    case -7:
      return writeLocal(f, id, index, value);
    case -6:
      if (IsDeclaredGlobal(id)) return globalStore().list().set(id, index, value);
      return writeInstance(f.self, id, index, value);
    case -5:
      return globalStore().list().set(id, index, value);
    case -4: return false;
    case -3: {
      // Every live instance; the result is that of the last one written.
      bool result = true;
      InstanceWorld& w = instanceWorld();
      const int32_t n = w.count();
      for (int32_t i = 0; i < n && i < w.count(); ++i) {
        CInstanceBase* inst = w.at(i);
        if (inst && !inst->destroyed) result = writeInstance(inst, id, index, value);
      }
      return result;
    }
    case -2: return writeInstance(f.other, id, index, value);
    case -1: return writeInstance(f.self, id, index, value);
    default:
      break;
  }
  if (scope < -7) return false;
  if (scope < kUserVariableBase) {
    std::vector<CInstanceBase*> targets;
    instanceWorld().collectObject(scope, targets);
    bool result = true;
    for (CInstanceBase* inst : targets)
      if (!inst->destroyed) result = writeInstance(inst, id, index, value);
    return result;
  }
  CInstanceBase* inst = liveById(scope);
  return inst ? writeInstance(inst, id, index, value) : true;  // a missing instance: nothing written
}

// The reference of a variable node: its specifier and flat index, evaluated in order.
struct Ref {
  int32_t scope;
  int32_t id;
  int32_t index;
};

bool eval(const Node* n, Frame& f, RValue& out);

inline bool evalNumeric(const Node* n, Frame& f, double& out);

bool indexValue(const Node* n, Frame& f, int64_t& out) {
  double d;
  if (n->numeric && evalNumeric(n, f, d)) {
    out = roundIndex(d);
    if (out < 0) return fail(f, n->position, "Negative array index");
    if (out >= kArrayDimension) return fail(f, n->position, "Array index >= 32000");
    return true;
  }
  RValue v;
  if (!eval(n, f, v)) return false;
  if (!v.isReal()) return fail(f, n->position, "Wrong type of array index");
  out = roundToInt64(v.real);
  if (out < 0) return fail(f, n->position, "Negative array index");
  if (out >= kArrayDimension) return fail(f, n->position, "Array index >= 32000");
  return true;
}

bool resolveRef(const Node* n, Frame& f, Ref& r) {
  r.id = n->id;
  r.index = 0;
  if (n->kind == nk_fixed_variable) {
    r.scope = n->instance;
    return true;
  }
  const Node* prefix = n->child(0);
  if (prefix->kind == nk_constant && prefix->value.isReal()) {
    r.scope = roundToInt32(prefix->value.real);
  } else {
    RValue v;
    if (!eval(prefix, f, v)) return false;
    if (!v.isReal()) return fail(f, prefix->position, "Wrong type of variable index");
    r.scope = roundToInt32(v.real);
  }
  if (n->children.size() > 1) {
    int64_t i = 0;
    if (!indexValue(n->child(1), f, i)) return false;
    int64_t flat = i;
    if (n->children.size() > 2) {
      int64_t j = 0;
      if (!indexValue(n->child(2), f, j)) return false;
      flat = i * kArrayDimension + j;
    }
    r.index = static_cast<int32_t>(flat);
  }
  return true;
}

bool unknownVariable(Frame& f, const Node* n, int32_t index) {
  std::string message = "Unknown variable " + variableNames().nameOf(n->id);
  if (index != 0) message += " or array index out of bounds";
  return fail(f, n->position, message);
}

// A reference into the executing instance's own user variables.
inline bool ownUserScope(const Ref& r) {
  return r.id >= kUserVariableBase && (r.scope == -1 || (r.scope == -6 && !IsDeclaredGlobal(r.id)));
}

bool readVariable(const Node* n, Frame& f, RValue& out) {
  if (n->kind == nk_fixed_variable) {
    if (n->slot >= 0) {
      if (f.localsCreated) {
        const LocalSlot& s = f.locals[static_cast<size_t>(n->slot)];
        if (s.exists) {
          copyValue(out, s.var.value);
          return true;
        }
      }
    } else if (IsSelfUser(n)) {
      if (RVariable* v = SelfVariable(f, n)) {
        copyValue(out, v->value);
        return true;
      }
    } else if (n->id >= bv_argument0 && n->id <= bv_argument15 && (n->instance == -1 || n->instance == -6)) {
      // The script arguments: what their getters read, without the table lookup.
      copyValue(out, scriptArguments()[n->id - bv_argument0]);
      return true;
    } else if (n->id < kBuiltinVariableLimit && (n->instance == -1 || n->instance == -6)) {
      // Built-in variables of the executing instance (ids below 100000 are never global).
      if (ReadBuiltinVariable(n->id, f.self, 0, out)) return true;
    } else if (readRef(f, n->instance, n->id, 0, out)) {
      return true;
    }
    if (codeSettings().uninitializedAsZero) {
      out.setReal(0.0);
      return true;
    }
    return unknownVariable(f, n, 0);
  }
  Ref r;
  if (!resolveRef(n, f, r)) return false;
  if (ownUserScope(r)) {
    if (RVariable* v = SelfVariable(f, n)) {
      if (const RValue* e = v->get(r.index)) {
        copyValue(out, *e);
        return true;
      }
    }
  } else if (readRef(f, r.scope, r.id, r.index, out)) {
    return true;
  }
  if (codeSettings().uninitializedAsZero) {
    out.setReal(0.0);
    return true;
  }
  return unknownVariable(f, n, r.index);
}

// ---- 3. expressions and calls ----

// Argument tables of kMaxArguments entries, one per level of calls whose arguments are being
// evaluated or passed, reused so that a call constructs no values. Outside the entries of the call
// in progress every entry holds the real 0, so a built-in sees the whole table of 16 as the
// language defines it. Tables never move (a built-in may run code that nests deeper).
class ArgumentTables {
 public:
  static constexpr size_t kKeptCapacity = 1024;  // larger argument strings are freed after the call

  RValue* acquire() {
    if (depth_ == tables_.size()) tables_.push_back(std::make_unique<RValue[]>(kMaxArguments));
    return tables_[depth_++].get();
  }
  // Gives back the table last acquired, its first `used` entries made fresh zero values again:
  // built-ins read the field they need without checking the kind, so a real argument must carry
  // an empty string and a string argument a real 0, as a new value does.
  void release(RValue* table, int used) {
    for (int i = 0; i < used; ++i) {
      RValue& v = table[i];
      v.kind = ty_real;
      v.real = 0.0;
      if (v.str.capacity() > kKeptCapacity) std::string().swap(v.str);
      else v.str.clear();
    }
    --depth_;
  }

 private:
  std::vector<std::unique_ptr<RValue[]>> tables_;
  size_t depth_ = 0;
};
ArgumentTables g_argumentTables;

struct ArgumentTable {
  RValue* values = g_argumentTables.acquire();
  int used = 0;
  ArgumentTable() = default;
  ~ArgumentTable() { g_argumentTables.release(values, used); }
  ArgumentTable(const ArgumentTable&) = delete;
  ArgumentTable& operator=(const ArgumentTable&) = delete;
};

bool callScriptWithReals(const Node* n, Frame& f, RValue& out, bool& done);

// Scripts whose arguments are all numeric (chosen per call node after the check pass).
inline bool numericArguments(const Node* n) {
  if (n->id < kScriptIndexBase || n->id >= kExtensionIndexBase) return false;
  for (const Node* c : n->children)
    if (!c->program && !(c->kind == nk_constant && c->value.isReal())) return false;
  return true;
}

// Call arguments are evaluated in order into the table; the first failure ends the call.
bool evalCall(const Node* n, Frame& f, RValue& out) {
  const int argc = static_cast<int>(n->children.size());
  const int32_t index = n->id;
  if (n->cache == 1) {
    bool done = false;
    const bool ok = callScriptWithReals(n, f, out, done);
    if (done) return ok;
  }
  ArgumentTable table;
  RValue* args = table.values;
  table.used = argc;
  for (int i = 0; i < argc; ++i) {
    const Node* a = n->child(static_cast<size_t>(i));
    double d;
    if (a->program && RunNumeric(*a->program, f, d)) {
      args[i].kind = ty_real;
      args[i].real = d;
    } else if (!eval(a, f, args[i])) {
      return false;
    }
  }
  return CallFunction(index, f.self, f.other, out, args, argc);
}

// A real operand read without a temporary value: constants, and locals and own variables that
// hold reals. False means "take the general path" (nothing has been evaluated or reported).
bool fastReal(const Node* n, Frame& f, double& out) {
  if (n->kind == nk_constant) {
    if (!n->value.isReal()) return false;
    out = n->value.real;
    return true;
  }
  if (n->kind != nk_fixed_variable) return false;
  const RValue* v = nullptr;
  if (n->id >= bv_argument0 && n->id <= bv_argument15) {
    if (n->instance != -1 && n->instance != -6) return false;
    v = &scriptArguments()[n->id - bv_argument0];
  } else if (n->slot >= 0) {
    if (!f.localsCreated) return false;
    const LocalSlot& s = f.locals[static_cast<size_t>(n->slot)];
    if (!s.exists) return false;
    v = &s.var.value;
  } else if (IsSelfUser(n)) {
    const RVariable* var = SelfVariable(f, n);
    if (!var) return false;
    v = &var->value;
  } else {
    return false;
  }
  if (!v->isReal()) return false;
  out = v->real;
  return true;
}

// The common operators on two reals, inline; false leaves the rest to ApplyBinary.
__attribute__((always_inline)) inline bool fastArithmetic(int32_t op, double& l, double r) {
  switch (op) {
    case tk_plus: l += r; return true;
    case tk_minus: l -= r; return true;
    case tk_times: l *= r; return true;
    case tk_divide:
      if (r == 0.0) return false;
      l /= r;
      return true;
    case tk_less: l = truthValue(l - r < -kCompareEpsilon); return true;
    case tk_less_equal: l = truthValue(l - r <= kCompareEpsilon); return true;
    case tk_greater: l = truthValue(l - r > kCompareEpsilon); return true;
    case tk_greater_equal: l = truthValue(l - r >= -kCompareEpsilon); return true;
    case tk_equal: {
      const double d = l - r;
      l = truthValue(d > -kCompareEpsilon && d < kCompareEpsilon);
      return true;
    }
    case tk_not_equal: {
      const double d = l - r;
      l = truthValue(d < -kCompareEpsilon || d > kCompareEpsilon);
      return true;
    }
    case tk_and: l = truthValue(l >= 0.5 && r >= 0.5); return true;
    case tk_or: l = truthValue(l >= 0.5 || r >= 0.5); return true;
    case tk_div:
      if (r == 0.0) return false;
      l = static_cast<double>(truncToInt32(l / r));
      return true;
    case tk_mod: {
      if (r == 0.0) return false;
      const double q = static_cast<double>(truncToInt32(l / r));
      l = l - q * r;
      return true;
    }
    default: return false;
  }
}

// A numeric subtree on doubles alone; false (with nothing recorded) sends the caller to the full
// walk, which then meets and reports whatever stopped this one.
inline bool evalNumeric(const Node* n, Frame& f, double& out) {
  return n->program && RunNumeric(*n->program, f, out);
}

bool eval(const Node* n, Frame& f, RValue& out) {
  switch (n->kind) {
    case nk_constant:
      copyValue(out, n->value);
      return true;
    case nk_fixed_variable:
      return readVariable(n, f, out);
    case nk_variable:
      if (n->program) {
        double d;
        if (RunNumeric(*n->program, f, d)) {
          out.kind = ty_real;
          out.real = d;
          return true;
        }
      }
      return readVariable(n, f, out);
    case nk_binary: {
      if (n->numeric) {
        double d;
        if (evalNumeric(n, f, d)) {
          out.kind = ty_real;
          out.real = d;
          return true;
        }
      }
      if (!eval(n->child(0), f, out)) return false;
      const Node* rightNode = n->child(1);
      double r;
      if (out.kind == ty_real && fastReal(rightNode, f, r)) {
        if (fastArithmetic(n->id, out.real, r)) return true;
        const RValue right(r);
        if (const char* error = ApplyBinary(n->id, out, right)) return fail(f, rightNode->position, error);
        return true;
      }
      RValue right;
      if (!eval(rightNode, f, right)) return false;
      if (out.kind == ty_real && right.kind == ty_real && fastArithmetic(n->id, out.real, right.real))
        return true;
      if (const char* error = ApplyBinary(n->id, out, right)) return fail(f, rightNode->position, error);
      return true;
    }
    case nk_unary:
      if (!eval(n->child(0), f, out)) return false;
      if (const char* error = ApplyUnary(n->id, out)) return fail(f, n->child(0)->position, error);
      return true;
    case nk_call:
      return evalCall(n, f, out);
    default:
      return fail(f, n->position, "(Sub-)expression expected.");
  }
}

// ---- 4. statements ----

int execGeneral(const Node* n, Frame& f, RValue& slot);
// Runs a statement through its own function when one was chosen, else through the general walk.
// An attached debugger sees the statement first (one test of a pointer when none is).
inline int exec(const Node* n, Frame& f, RValue& slot) {
  if (g_statementObserver) [[unlikely]] g_statementObserver->Statement(*n, f);
  return n->run ? n->run(n, f, slot) : execGeneral(n, f, slot);
}

int compoundOperator(int32_t assignKind) {
  switch (assignKind) {
    case tk_add_assign: return tk_plus;
    case tk_sub_assign: return tk_minus;
    case tk_mul_assign: return tk_times;
    case tk_div_assign: return tk_divide;
    case tk_or_assign: return tk_bit_or;
    case tk_and_assign: return tk_bit_and;
    case tk_xor_assign: return tk_bit_xor;
    default: return 0;
  }
}

// The element of a fixed local or own instance variable, for assignment in place; nullptr when
// the target takes the general path. `create` makes it exist (plain `=`).
RValue* directTarget(const Node* t, Frame& f, bool create) {
  if (t->kind != nk_fixed_variable) return nullptr;
  if (t->slot >= 0) {
    if (create) f.createLocals();
    else if (!f.localsCreated) return nullptr;
    LocalSlot& s = f.locals[static_cast<size_t>(t->slot)];
    if (!s.exists) {
      if (!create) return nullptr;
      s.exists = true;
    }
    return &s.var.value;
  }
  if (!IsSelfUser(t)) return nullptr;
  if (RVariable* v = SelfVariable(f, t)) return &v->value;
  if (!create) return nullptr;
  return &f.self->variables.ensure(t->id).value;
}

int execAssign(const Node* n, Frame& f, RValue& slot) {
  const Node* target = n->child(0);
  const int op = compoundOperator(n->id);
  const bool direct = target->kind == nk_fixed_variable &&
                      (target->slot >= 0 || IsSelfUser(target));
  if (direct) {
    const Node* valueNode = n->child(1);
    double d;
    if (valueNode->numeric && evalNumeric(valueNode, f, d)) {
      if (op == 0) {
        RValue* t = directTarget(target, f, true);
        t->kind = ty_real;
        t->real = d;
        slot.kind = ty_real;
        slot.real = d;
        return 0;
      }
      RValue* current = directTarget(target, f, false);
      if (current && current->kind == ty_real && fastArithmetic(op, current->real, d)) {
        slot.kind = ty_real;
        slot.real = current->real;
        return 0;
      }
    }
    RValue value;
    if (!eval(valueNode, f, value)) return -1;
    if (op == 0) {
      copyValue(slot, value);
      *directTarget(target, f, true) = std::move(value);
      return 0;
    }
    RValue* current = directTarget(target, f, false);
    if (!current) {
      if (!codeSettings().uninitializedAsZero) return unknownVariable(f, target, 0) ? 0 : -1;
      current = directTarget(target, f, true);
      current->setReal(0.0);
    }
    // Operators leave the accumulator unchanged when they fail, so nothing is written then.
    if (const char* error = ApplyBinary(op, *current, value)) return fail(f, n->position, error) ? 0 : -1;
    copyValue(slot, *current);
    return 0;
  }
  Ref r;
  if (!resolveRef(target, f, r)) return -1;
  const Node* valueNode = n->child(1);
  if (op == 0 && valueNode->numeric && ownUserScope(r)) {
    double d;
    if (evalNumeric(valueNode, f, d)) {
      RVariable* v = SelfVariable(f, target);
      if (!v) v = &f.self->variables.ensure(r.id);
      slot.kind = ty_real;
      slot.real = d;
      RValue* e = v->element(r.index);
      if (!e) return fail(f, n->position, "Cannot assign to the variable") ? 0 : -1;
      e->kind = ty_real;
      e->real = d;
      return 0;
    }
  }
  RValue value;
  if (!eval(valueNode, f, value)) return -1;
  if (op != 0) {
    RValue current;
    if (!readRef(f, r.scope, r.id, r.index, current)) {
      if (!codeSettings().uninitializedAsZero) return unknownVariable(f, target, r.index) ? 0 : -1;
      current.setReal(0.0);
    }
    if (const char* error = ApplyBinary(op, current, value)) return fail(f, n->position, error) ? 0 : -1;
    value = std::move(current);
  }
  copyValue(slot, value);
  if (ownUserScope(r)) {
    RVariable* v = SelfVariable(f, target);
    if (!v) v = &f.self->variables.ensure(r.id);
    RValue* e = v->element(r.index);
    if (!e) return fail(f, n->position, "Cannot assign to the variable") ? 0 : -1;
    *e = std::move(value);
    return 0;
  }
  if (!writeRef(f, r.scope, r.id, r.index, value)) return fail(f, n->position, "Cannot assign to the variable") ? 0 : -1;
  return 0;
}

__attribute__((noinline)) bool conditionByWalk(const Node* n, Frame& f, const char* message, bool& truth) {
  RValue v;
  if (!eval(n, f, v)) return false;
  if (!v.isReal()) return fail(f, n->position, message);
  truth = v.real >= 0.5;
  return true;
}

inline bool condition(const Node* n, Frame& f, const char* message, bool& truth) {
  double d;
  if (n->program && RunNumeric(*n->program, f, d)) {
    truth = d >= 0.5;
    return true;
  }
  return conditionByWalk(n, f, message, truth);
}

// How a loop goes on after its body: -1 for "go on", else the loop's own status.
inline int loopBody(int status) {
  if (status == -3) return 0;
  if (status == 0 || status == -4) return -100;
  return status;
}
constexpr int kGoOn = -100;

// A loop's body without the blocks that hold a single statement: such a block's status is its
// statement's, so the loop runs the statement directly.
inline const Node* loopStatement(const Node* body) {
  while (body->kind == nk_block && body->children.size() == 1) body = body->child(0);
  return body;
}

bool caseMatches(const RValue& a, const RValue& b) {
  if (a.isReal() && b.isReal()) return a.real == b.real;
  if (a.isString() && b.isString()) return a.str == b.str;
  return false;
}

// A case label that is a constant is compared where it stands: evaluating it has no effect, so
// skipping the copy changes nothing observable.
inline bool constantCaseMatches(const RValue& value, const Node* label) {
  const RValue& c = label->value;
  if (value.kind != c.kind) return false;
  return value.kind == ty_real ? value.real == c.real : value.str == c.str;
}

constexpr size_t kScanFailed = ~size_t{0};
size_t scanCases(const Node* n, Frame& f, const RValue& value);

// The statement after a case table's start for a real value, or 0 for none.
inline size_t tableStart(const Node* n, double value) {
  const size_t start = static_cast<size_t>(n->cases->startForReal(value));
  return start != 0 ? start + 1 : 0;
}

int execSwitch(const Node* n, Frame& f, RValue& slot) {
  const Node* subject = n->child(0);
  size_t start = 0;
  double d;
  const bool real = subject->program && RunNumeric(*subject->program, f, d);
  // A real subject with a case table needs no value of its own.
  if (real && n->cases) {
    start = tableStart(n, d);
  } else {
    RValue value;
    if (real) value.real = d;
    else if (!eval(subject, f, value)) return -1;
    if (n->cases && value.kind == ty_real) {
      start = tableStart(n, value.real);
    } else {
      start = scanCases(n, f, value);
      if (start == kScanFailed) return -1;
    }
  }
  if (start == 0) return 0;
  for (size_t i = start; i < n->children.size(); ++i) {
    const Node* c = n->child(i);
    if (c->kind == nk_case || c->kind == nk_default) continue;
    const int s = exec(c, f, slot);
    if (s == -3) return 0;
    if (s != 0) return s;
  }
  return 0;
}

// The first statement to run after a scan of the labels in order (evaluating those that are
// not constants), 0 for none, or kScanFailed when a label's evaluation failed.
size_t scanCases(const Node* n, Frame& f, const RValue& value) {
  size_t start = 0;
  for (size_t i = 1; i < n->children.size(); ++i) {
    const Node* c = n->child(i);
    if (c->kind == nk_default) {
      start = i + 1;
      break;
    }
    if (c->kind == nk_case) {
      const Node* label = c->child(0);
      if (label->kind == nk_constant) {
        if (!constantCaseMatches(value, label)) continue;
        start = i + 1;
        break;
      }
      RValue caseValue;
      if (!eval(label, f, caseValue)) return kScanFailed;
      if (caseMatches(value, caseValue)) {
        start = i + 1;
        break;
      }
    }
  }
  return start;
}

int withOne(const Node* body, Frame& f, RValue& slot, CInstanceBase* inst) {
  CInstanceBase* savedSelf = f.self;
  CInstanceBase* savedOther = f.other;
  f.other = f.self;
  f.self = inst;
  const int s = exec(body, f, slot);
  f.self = savedSelf;
  f.other = savedOther;
  return s;
}

int execWith(const Node* n, Frame& f, RValue& slot) {
  RValue v;
  const Node* target = n->child(0);
  if (!eval(target, f, v)) return -1;
  if (!v.isReal()) return fail(f, target->position, "Object id expected") ? 0 : -1;
  const int32_t scope = roundToInt32(v.real);
  if (scope == -7) return fail(f, target->position, "Cannot use local in with statement.") ? 0 : -1;
  if (scope == -5) return fail(f, target->position, "Cannot use global in with statement.") ? 0 : -1;
  const Node* body = n->child(1);
  // The status after one instance: 0 ends the whole `with`, kGoOn goes on, others pass up.
  auto after = [](int s) { return s == -3 ? 0 : (s == 0 || s == -4) ? kGoOn : s; };
  if (scope == -1 || scope == -6 || scope == -2) {
    const int s = after(withOne(body, f, slot, scope == -2 ? f.other : f.self));
    return s == kGoOn ? 0 : s;
  }
  if (scope == -3) {
    InstanceWorld& w = instanceWorld();
    const int32_t count = w.count();
    for (int32_t i = 0; i < count && i < w.count(); ++i) {
      CInstanceBase* inst = w.at(i);
      if (!inst || inst->destroyed) continue;
      const int s = after(withOne(body, f, slot, inst));
      if (s != kGoOn) return s;
    }
    return 0;
  }
  if (scope >= kUserVariableBase) {
    CInstanceBase* inst = instanceWorld().firstWithId(scope);
    if (!inst || inst->destroyed) return 0;
    const int s = after(withOne(body, f, slot, inst));
    return s == kGoOn ? 0 : s;
  }
  if (scope >= 0) {
    std::vector<CInstanceBase*> targets;
    instanceWorld().collectObject(scope, targets);
    for (CInstanceBase* inst : targets) {
      if (inst->destroyed) continue;
      const int s = after(withOne(body, f, slot, inst));
      if (s != kGoOn) return s;
    }
  }
  return 0;  // noone and specifiers below -7 visit nothing
}

int execGeneral(const Node* n, Frame& f, RValue& slot) {
  switch (n->kind) {
    case nk_block:
      for (const auto& c : n->children) {
        const int s = exec(c, f, slot);
        if (s != 0) return s;
      }
      return 0;
    case nk_assign:
      return execAssign(n, f, slot);
    case nk_call: {
      RValue result;
      if (!evalCall(n, f, result)) return -1;
      MoveValue(slot, std::move(result));
      return 0;
    }
    case nk_if: {
      bool truth = false;
      if (!condition(n->child(0), f, "Expression expected", truth)) return -1;
      if (truth) return exec(n->child(1), f, slot);
      if (n->children.size() > 2) return exec(n->child(2), f, slot);
      return 0;
    }
    case nk_while:
      for (;;) {
        bool truth = false;
        if (!condition(n->child(0), f, "Boolean expression expected", truth)) return -1;
        if (!truth) return 0;
        const int s = loopBody(exec(n->child(1), f, slot));
        if (s != kGoOn) return s;
        if (!tick(f, n->position)) return -1;
      }
    case nk_do:
      for (;;) {
        const int s = loopBody(exec(n->child(0), f, slot));
        if (s != kGoOn) return s;
        bool truth = false;
        if (!condition(n->child(1), f, "Boolean expression expected", truth)) return -1;
        if (truth) return 0;
        if (!tick(f, n->position)) return -1;
      }
    case nk_for: {
      int s = exec(n->child(0), f, slot);
      if (s != 0) return s;
      for (;;) {
        bool truth = false;
        if (!condition(n->child(1), f, "Expression expected", truth)) return -1;
        if (!truth) return 0;
        s = loopBody(exec(n->child(3), f, slot));
        if (s != kGoOn) return s;
        s = exec(n->child(2), f, slot);
        if (s != 0) return s;
        if (!tick(f, n->position)) return -1;
      }
    }
    case nk_repeat: {
      RValue count;
      if (!eval(n->child(0), f, count)) return -1;
      if (!count.isReal()) return fail(f, n->child(0)->position, "Repeat count must be a number") ? 0 : -1;
      const int64_t times = roundToInt64(count.real);
      for (int64_t i = 0; i < times; ++i) {
        const int s = loopBody(exec(n->child(1), f, slot));
        if (s != kGoOn) return s;
        if (!tick(f, n->position)) return -1;
      }
      return 0;
    }
    case nk_with:
      return execWith(n, f, slot);
    case nk_switch:
      return execSwitch(n, f, slot);
    case nk_return: {
      // The value goes to the slot only when its evaluation succeeds.
      double d;
      if (evalNumeric(n->child(0), f, d)) {
        slot.kind = ty_real;
        slot.real = d;
        return -2;
      }
      RValue value;
      if (!eval(n->child(0), f, value)) return -1;
      MoveValue(slot, std::move(value));
      return -2;
    }
    case nk_exit: return -2;
    case nk_break: return -3;
    case nk_continue: return -4;
    case nk_var: return 0;
    case nk_globalvar:
      for (const auto& c : n->children) globalStore().markGlobal(c->id);
      return 0;
    case nk_case:
      return fail(f, n->position, "Case statement only allowed inside switch statement.") ? 0 : -1;
    case nk_default:
      return fail(f, n->position, "Default statement only allowed inside switch statement.") ? 0 : -1;
    default:
      return fail(f, n->position, "Statement expected.") ? 0 : -1;
  }
}

// Counts nested executions and remembers where the outermost one's stack began.
struct ExecutionDepth {
  ExecutionDepth() {
    if (g_executionDepth++ == 0) g_stackBase = static_cast<const char*>(__builtin_frame_address(0));
  }
  ~ExecutionDepth() { --g_executionDepth; }
  ExecutionDepth(const ExecutionDepth&) = delete;
  ExecutionDepth& operator=(const ExecutionDepth&) = delete;
  static bool exhausted() {
    const char* here = static_cast<const char*>(__builtin_frame_address(0));
    return g_stackBase > here && static_cast<size_t>(g_stackBase - here) > kStackBudget;
  }
};

// ---- statement functions for common shapes ----
// Each takes its fast path only when every operand is a real and every target exists as needed;
// otherwise it hands the whole statement to the general walk, which evaluates it again from the
// start. Only side-effect-free parts (numeric forms, index checks) run before such a hand-over,
// so nothing observable happens twice.

int runBlock(const Node* n, Frame& f, RValue& slot) {
  for (const auto& c : n->children) {
    const int s = exec(c, f, slot);
    if (s != 0) return s;
  }
  return 0;
}

int runIf(const Node* n, Frame& f, RValue& slot) {
  bool truth = false;
  if (!condition(n->child(0), f, "Expression expected", truth)) return -1;
  if (truth) return exec(n->child(1), f, slot);
  if (n->children.size() > 2) return exec(n->child(2), f, slot);
  return 0;
}

int runWhile(const Node* n, Frame& f, RValue& slot) {
  const Node* test = n->child(0);
  const Node* body = loopStatement(n->child(1));
  for (;;) {
    bool truth = false;
    if (!condition(test, f, "Boolean expression expected", truth)) return -1;
    if (!truth) return 0;
    const int s = loopBody(exec(body, f, slot));
    if (s != kGoOn) return s;
    if (!tick(f, n->position)) return -1;
  }
}

int runFor(const Node* n, Frame& f, RValue& slot) {
  int s = exec(n->child(0), f, slot);
  if (s != 0) return s;
  const Node* test = n->child(1);
  const Node* step = n->child(2);
  const Node* body = loopStatement(n->child(3));
  for (;;) {
    bool truth = false;
    if (!condition(test, f, "Expression expected", truth)) return -1;
    if (!truth) return 0;
    s = loopBody(exec(body, f, slot));
    if (s != kGoOn) return s;
    s = exec(step, f, slot);
    if (s != 0) return s;
    if (!tick(f, n->position)) return -1;
  }
}

// `for (...; ...; local += constant)`: the step runs inline while the local holds a real; with
// `Below`, the test is `local < constant` on the same local and runs inline too.
template <bool Below>
int runCountingFor(const Node* n, Frame& f, RValue& slot) {
  int s = exec(n->child(0), f, slot);
  if (s != 0) return s;
  const Node* test = n->child(1);
  const Node* step = n->child(2);
  const Node* body = loopStatement(n->child(3));
  const size_t counter = static_cast<size_t>(step->child(0)->slot);
  const double increment = step->child(1)->value.real;
  const double limit = Below ? test->child(1)->value.real : 0.0;
  for (;;) {
    bool truth = false;
    const RValue* c = Below ? f.localValue(static_cast<int32_t>(counter)) : nullptr;
    if (Below && c && c->kind == ty_real) {
      truth = c->real - limit < -kCompareEpsilon;
    } else if (!condition(test, f, "Expression expected", truth)) {
      return -1;
    }
    if (!truth) return 0;
    s = loopBody(exec(body, f, slot));
    if (s != kGoOn) return s;
    RValue* v = f.localsCreated && f.locals[counter].exists ? &f.locals[counter].var.value : nullptr;
    if (v && v->kind == ty_real) {
      v->real += increment;
      slot.kind = ty_real;
      slot.real = v->real;
    } else {
      s = exec(step, f, slot);
      if (s != 0) return s;
    }
    if (!tick(f, n->position)) return -1;
  }
}

// The value of a numeric right-hand side: a real constant directly, else its numeric form.
inline bool numericValue(const Node* v, Frame& f, double& d) {
  if (v->kind == nk_constant) {
    d = v->value.real;
    return true;
  }
  return RunNumeric(*v->program, f, d);
}

// `op` applied in place for the compound operators with a fast form; false hands over.
template <int Op>
inline bool update(double& current, double d) {
  if constexpr (Op == tk_add_assign) current += d;
  if constexpr (Op == tk_sub_assign) current -= d;
  if constexpr (Op == tk_mul_assign) current *= d;
  if constexpr (Op == tk_div_assign) {
    if (d == 0.0) return false;
    current /= d;
  }
  return true;
}

inline void setReal(RValue& v, double d) {
  v.kind = ty_real;
  v.real = d;
}

// `local = numeric`
int runSetLocal(const Node* n, Frame& f, RValue& slot) {
  double d;
  if (!numericValue(n->child(1), f, d)) return execAssign(n, f, slot);
  f.createLocals();
  LocalSlot& s = f.locals[static_cast<size_t>(n->child(0)->slot)];
  s.exists = true;
  setReal(slot, d);
  setReal(s.var.value, d);
  return 0;
}

// `local op= numeric`
template <int Op>
int runUpdateLocal(const Node* n, Frame& f, RValue& slot) {
  double d;
  if (f.localsCreated && numericValue(n->child(1), f, d)) {
    LocalSlot& s = f.locals[static_cast<size_t>(n->child(0)->slot)];
    RValue& v = s.var.value;
    if (s.exists && v.kind == ty_real) {
      double r = v.real;
      if (update<Op>(r, d)) {
        setReal(slot, r);
        v.real = r;
        return 0;
      }
    }
  }
  return execAssign(n, f, slot);
}

// `own = numeric` (an unprefixed or `self` user variable that is not global)
int runSetOwn(const Node* n, Frame& f, RValue& slot) {
  const Node* target = n->child(0);
  double d;
  if (!IsSelfUser(target) || !numericValue(n->child(1), f, d)) return execAssign(n, f, slot);
  RVariable* v = SelfVariable(f, target);
  if (!v) v = &f.self->variables.ensure(target->id);
  setReal(slot, d);
  setReal(v->value, d);
  return 0;
}

// `own op= numeric`
template <int Op>
int runUpdateOwn(const Node* n, Frame& f, RValue& slot) {
  const Node* target = n->child(0);
  double d;
  if (IsSelfUser(target) && numericValue(n->child(1), f, d)) {
    if (RVariable* v = SelfVariable(f, target); v && v->value.kind == ty_real) {
      double r = v->value.real;
      if (update<Op>(r, d)) {
        setReal(slot, r);
        v->value.real = r;
        return 0;
      }
    }
  }
  return execAssign(n, f, slot);
}

// Writes a real into the built-in variable the assignment names: through its real setter when it
// has one, else through the table with a value record.
inline int writeBuiltinReal(const Node* n, Frame& f, double d) {
  const int32_t id = n->child(0)->id;
  if (id < kBuiltinVariableCount) {
    if (const RealSetter set = g_builtinVariables[id].realSetter) {
      set(f.self, d);
      return 0;
    }
  }
  RValue value;
  setReal(value, d);
  if (!WriteBuiltinVariable(id, f.self, 0, value)) return fail(f, n->position, "Cannot assign to the variable") ? 0 : -1;
  return 0;
}

// `builtin = numeric` for a built-in variable of the executing instance (`x`, `speed`): the value's
// numeric form, then the variable's setter, as the general assignment does.
int runSetBuiltin(const Node* n, Frame& f, RValue& slot) {
  const Node* target = n->child(0);
  double d;
  if ((target->instance == -6 && IsDeclaredGlobal(target->id)) || !numericValue(n->child(1), f, d))
    return execAssign(n, f, slot);
  setReal(slot, d);
  return writeBuiltinReal(n, f, d);
}

// `builtin op= numeric` for a plain real field of the executing instance (`x += v`): the value,
// then the field through its real getter, then the setter, in the order of the general
// assignment; anything else (a read-only variable, an operator that fails) takes the general path.
template <int Op>
int runUpdateBuiltin(const Node* n, Frame& f, RValue& slot) {
  const Node* target = n->child(0);
  const int32_t id = target->id;
  double d;
  // A real getter is bound only after the table's own bindings, so the entry is read directly.
  if (id < kBuiltinVariableCount && g_builtinVariables[id].real && g_builtinVariables[id].writable &&
      !(target->instance == -6 && IsDeclaredGlobal(id)) && numericValue(n->child(1), f, d)) {
    double r = g_builtinVariables[id].real(f.self);
    if (update<Op>(r, d)) {
      setReal(slot, r);
      return writeBuiltinReal(n, f, r);
    }
  }
  return execAssign(n, f, slot);
}

// A numeric index in 0..31999, or false.
inline bool numericIndex(const Node* i, Frame& f, int64_t& out) {
  double d;
  if (i->kind == nk_fixed_variable && i->slot >= 0) {
    const RValue* v = f.localValue(i->slot);
    if (!v || v->kind != ty_real) return false;
    d = v->real;
  } else if (!RunNumeric(*i->program, f, d)) {
    return false;
  }
  out = roundIndex(d);
  return out >= 0 && out < kArrayDimension;
}

// `own[i] = numeric` and `own[i, j] = numeric`: the indices first, then the value, as the
// general walk evaluates them.
int runSetOwnElement(const Node* n, Frame& f, RValue& slot) {
  const Node* target = n->child(0);
  int64_t row = 0;
  int64_t column = 0;
  double d;
  if (!numericIndex(target->child(1), f, column)) return execAssign(n, f, slot);
  if (target->children.size() > 2) {
    row = column;
    if (!numericIndex(target->child(2), f, column)) return execAssign(n, f, slot);
  }
  if (!numericValue(n->child(1), f, d)) return execAssign(n, f, slot);
  if (g_globalsDeclared && target->child(0)->value.real == -6.0 && IsDeclaredGlobal(target->id)) return execAssign(n, f, slot);
  RVariable* v = SelfVariable(f, target);
  if (!v) v = &f.self->variables.ensure(target->id);
  RValue* e = v->elementAt(static_cast<size_t>(row), static_cast<size_t>(column));
  if (!e) return execAssign(n, f, slot);  // beyond the array limit: the walk reports it
  setReal(slot, d);
  setReal(*e, d);
  return 0;
}

// `return value`: the value goes to the slot only when its evaluation succeeds.
int runReturn(const Node* n, Frame& f, RValue& slot) {
  const Node* v = n->child(0);
  double d;
  if (v->program && RunNumeric(*v->program, f, d)) {
    setReal(slot, d);
    return -2;
  }
  RValue value;
  if (!eval(v, f, value)) return -1;
  MoveValue(slot, std::move(value));
  return -2;
}

template <template <int> class Pick>
StatementFn byOperator(int32_t op) {
  switch (op) {
    case tk_add_assign: return Pick<tk_add_assign>::fn;
    case tk_sub_assign: return Pick<tk_sub_assign>::fn;
    case tk_mul_assign: return Pick<tk_mul_assign>::fn;
    case tk_div_assign: return Pick<tk_div_assign>::fn;
    default: return nullptr;
  }
}
template <int Op>
struct PickUpdateLocal {
  static constexpr StatementFn fn = &runUpdateLocal<Op>;
};
template <int Op>
struct PickUpdateOwn {
  static constexpr StatementFn fn = &runUpdateOwn<Op>;
};
template <int Op>
struct PickUpdateBuiltin {
  static constexpr StatementFn fn = &runUpdateBuiltin<Op>;
};

StatementFn assignmentFunction(const Node& n) {
  const Node& target = *n.children[0];
  const Node& value = *n.children[1];
  const bool numericValue = value.kind == nk_constant ? value.value.isReal() : value.program != nullptr;
  if (!numericValue) return nullptr;
  if (target.kind == nk_fixed_variable) {
    if (target.slot >= 0) return n.id == tk_assign ? &runSetLocal : byOperator<PickUpdateLocal>(n.id);
    const bool own = target.id >= kUserVariableBase && (target.instance == -1 || target.instance == -6);
    if (own) return n.id == tk_assign ? &runSetOwn : byOperator<PickUpdateOwn>(n.id);
    const bool builtin = target.id < kBuiltinVariableLimit && (target.instance == -1 || target.instance == -6);
    if (builtin) return n.id == tk_assign ? &runSetBuiltin : byOperator<PickUpdateBuiltin>(n.id);
    return nullptr;
  }
  if (target.kind == nk_variable && n.id == tk_assign && target.numeric && target.children.size() > 1) {
    for (size_t i = 1; i < target.children.size(); ++i)
      if (!target.children[i]->program) return nullptr;
    return &runSetOwnElement;
  }
  return nullptr;
}

}  // namespace

// ---- 5. entry points ----

void PrepareStatements(Node& n) {
  for (auto& c : n.children) PrepareStatements(*c);
  switch (n.kind) {
    case nk_block: n.run = &runBlock; break;
    case nk_if: n.run = &runIf; break;
    case nk_while: n.run = &runWhile; break;
    case nk_for: {
      if (n.children.size() != 4) break;  // every checked for has init, test, step and body
      const Node& step = *n.children[2];
      const bool counting = step.kind == nk_assign && step.id == tk_add_assign &&
                            step.children[0]->kind == nk_fixed_variable && step.children[0]->slot >= 0 &&
                            step.children[1]->kind == nk_constant && step.children[1]->value.isReal();
      const Node& test = *n.children[1];
      const bool below = counting && test.kind == nk_binary && test.id == tk_less &&
                         test.children[0]->kind == nk_fixed_variable &&
                         test.children[0]->slot == step.children[0]->slot &&
                         test.children[1]->kind == nk_constant && test.children[1]->value.isReal();
      n.run = below ? &runCountingFor<true> : counting ? &runCountingFor<false> : &runFor;
      break;
    }
    case nk_return: n.run = &runReturn; break;
    case nk_switch:
      n.run = &execSwitch;
      n.cases = BuildCaseTable(n);
      break;
    case nk_call: n.cache = numericArguments(&n) ? 1 : -1; break;
    case nk_assign: n.run = assignmentFunction(n); break;
    default: break;
  }
}

namespace {

__attribute__((noinline, cold)) bool failBeforeRun(const CCode& code, const char* message) {
  RecordCodeError(code, 0, message);
  return false;
}

// A program's execution while a debugger observes: it is told where the frame begins and ends.
__attribute__((noinline, cold)) bool executeObserved(const Node* root, Frame& f, RValue& result) {
  StatementObserver* observer = g_statementObserver;
  observer->Enter(f, scriptArguments(), scriptArgumentsInUse());
  const bool ok = exec(root, f, result) != -1;
  // The observer may have been cleared meanwhile (the editor went away); Leave goes to the one
  // that saw Enter, which outlives its attachment.
  observer->Leave(f);
  return ok;
}

// The steps of Execute, inline in the script call path.
__attribute__((always_inline)) inline bool executeCode(const CCode& code, CInstanceBase* self, CInstanceBase* other,
                                                       RValue& result) {
  ClearRecordedError();
  if (!code.compiled()) return failBeforeRun(code, "Internal Error: Executing non-compiled code.");
  if (code.kind() == kConstantExpression) {
    result = code.constant();
    return true;
  }
  if (!self || !other) return failBeforeRun(code, "Internal Error: Executing code for nil instance.");
  ExecutionDepth depth;
  Frame f{self, other, &code};
  if (ExecutionDepth::exhausted()) return fail(f, 0, kDepthMessage);
  const Node* root = code.root();
  if (code.kind() == kExpression) return eval(root, f, result);
  if (root->kind == nk_empty_program) return true;
  if (root->kind != nk_block) return fail(f, root->position, "This is not a program.");
  if (g_statementObserver) [[unlikely]] return executeObserved(root, f, result);
  return exec(root, f, result) != -1;
}

}  // namespace

bool Execute(const CCode& code, CInstanceBase* self, CInstanceBase* other, RValue& result) {
  return executeCode(code, self, other, result);
}

bool ExecuteAction(const CCode& code, CInstanceBase* self, CInstanceBase* other, RValue& result) {
  if (Execute(code, self, other, result)) return true;
  const std::string message = errorState().current;
  ClearRecordedError();
  ReportActionError(message, false);
  return false;
}

bool ExecuteValue(const CCode& code, CInstanceBase* self, CInstanceBase* other, RValue& result) {
  if (Execute(code, self, other, result)) return true;
  result.setString(std::string_view("ERROR"));
  return false;
}

namespace {

// CallScript with the arguments given as RValues or as reals.
template <typename Argument>
inline bool callScript(int32_t index, CInstanceBase* self, CInstanceBase* other, RValue& result, const Argument* args,
                       int count) {
  const CScript* script = Script(index);
  if (!script || !script->code) return false;
  // The shared argument table is saved and restored around the call, on failure too.
  ScriptArgumentFrame arguments(args, count);
  if (g_stepsLeft >= 0) {
    if (g_stepsLeft == 0) {
      RecordCodeError(*script->code, 0, kBudgetMessage);
      return false;
    }
    --g_stepsLeft;
  }
  result.setReal(0.0);
  if (executeCode(*script->code, self, other, result)) return true;
  result.setString(std::string_view("ERROR"));  // as ExecuteValue leaves it
  ErrorState& state = errorState();
  state.current = "In script " + ScriptName(index) + ":\r" + state.current;
  return false;
}

// A script call whose arguments all have numeric forms: when every form finishes, the reals go
// straight into the argument table. False in `done` means nothing was called (and nothing
// observable happened): the general call path takes over.
bool callScriptWithReals(const Node* n, Frame& f, RValue& out, bool& done) {
  const int argc = static_cast<int>(n->children.size());
  double reals[kMaxArguments];
  for (int i = 0; i < argc; ++i) {
    const Node* a = n->child(static_cast<size_t>(i));
    if (!numericValue(a, f, reals[i])) {
      done = false;
      return false;
    }
  }
  done = true;
  return callScript(n->id - kScriptIndexBase, f.self, f.other, out, reals, argc);
}

}  // namespace

bool CallFunction(int32_t index, CInstanceBase* self, CInstanceBase* other, RValue& result,
                  const RValue* args, int argc) {
  if (index >= kExtensionIndexBase) {
    ExtensionFunctions* ext = extensionFunctions();
    return ext && ext->call(index - kExtensionIndexBase, self, other, result, args, argc);
  }
  if (index >= kScriptIndexBase) return CallScript(index - kScriptIndexBase, self, other, result, args, argc);
  const BuiltinFunction* fn = BuiltinEntry(index);
  if (!fn) return true;
  RValue fresh;
  BuiltinCall call{self, other, argc, args, fresh};
  fn->handler(call);
  MoveValue(result, std::move(fresh));
  return true;
}

bool CallScript(int32_t index, CInstanceBase* self, CInstanceBase* other, RValue& result, const RValue* args,
                int count) {
  return callScript(index, self, other, result, args, count);
}

bool ReadVariable(CInstanceBase* self, CInstanceBase* other, int32_t specifier, int32_t id, int32_t index,
                  RValue& out) {
  static const CCode none("", false);
  Frame f{self, other, &none};
  return readRef(f, specifier, id, index, out);
}

bool WriteVariable(CInstanceBase* self, CInstanceBase* other, int32_t specifier, int32_t id, int32_t index,
                   const RValue& value) {
  static const CCode none("", false);
  Frame f{self, other, &none};
  return writeRef(f, specifier, id, index, value);
}

}  // namespace qv::code
