// The numeric form: building it from a checked subtree, and the node functions.
#include "code/numeric_form.h"

#include "code/builtin_variables.h"
#include "code/frame.h"
#include "code/operators.h"
#include "code/registry.h"
#include "code/rounding.h"
#include "code/tokens.h"

namespace qv::code {

namespace {

double notDone(Frame& f) {
  f.numericFailed = true;
  return 0.0;
}

// roundToInt64 for indices: the same ties-to-even result, computed inline for |x| < 2^51 (adding
// and removing 1.5 * 2^52 rounds to an integer in the default rounding mode); anything larger
// goes to the shared helper.
inline int64_t roundIndex(double x) {
  if (x > -2251799813685248.0 && x < 2251799813685248.0) {
    const double shifted = x + 6755399441055744.0;
    return static_cast<int64_t>(shifted - 6755399441055744.0);
  }
  return roundToInt64(x);
}

// The operators on two reals, exactly as operators.cpp computes them; a zero divisor is "not done"
// so that the tree walk reports it.
template <int Op>
inline double apply(double l, double r, Frame& f) {
  if constexpr (Op == tk_plus) return l + r;
  if constexpr (Op == tk_minus) return l - r;
  if constexpr (Op == tk_times) return l * r;
  if constexpr (Op == tk_divide) return r == 0.0 ? notDone(f) : l / r;
  if constexpr (Op == tk_div) return r == 0.0 ? notDone(f) : static_cast<double>(truncToInt32(l / r));
  if constexpr (Op == tk_mod) {
    if (r == 0.0) return notDone(f);
    const double q = static_cast<double>(truncToInt32(l / r));
    return l - q * r;
  }
  if constexpr (Op == tk_less) return truthValue(l - r < -kCompareEpsilon);
  if constexpr (Op == tk_less_equal) return truthValue(l - r <= kCompareEpsilon);
  if constexpr (Op == tk_greater) return truthValue(l - r > kCompareEpsilon);
  if constexpr (Op == tk_greater_equal) return truthValue(l - r >= -kCompareEpsilon);
  if constexpr (Op == tk_equal) {
    const double d = l - r;
    return truthValue(d > -kCompareEpsilon && d < kCompareEpsilon);
  }
  if constexpr (Op == tk_not_equal) {
    const double d = l - r;
    return truthValue(d < -kCompareEpsilon || d > kCompareEpsilon);
  }
  if constexpr (Op == tk_and) return truthValue(l >= 0.5 && r >= 0.5);
  if constexpr (Op == tk_or) return truthValue(l >= 0.5 || r >= 0.5);
  return notDone(f);
}

inline double realOf(const RValue* v, Frame& f) {
  if (!v || v->kind != ty_real) return notDone(f);
  return v->real;
}

inline double run(const NumNode* n, Frame& f) { return n->fn(*n, f); }

double numConstant(const NumNode& n, Frame&) { return n.k; }

double numLocal(const NumNode& n, Frame& f) { return realOf(f.localValue(n.slot), f); }

double numArgument(const NumNode& n, Frame& f) { return realOf(&scriptArguments()[n.slot], f); }

double numOwn(const NumNode& n, Frame& f) {
  if (!IsSelfUser(n.node)) return notDone(f);
  const RVariable* v = SelfVariable(f, n.node);
  return realOf(v ? &v->value : nullptr, f);
}

// A built-in variable of the executing instance that is a plain real field (BindRealGetter).
double numBuiltin(const NumNode& n, Frame& f) {
  const RealGetter get = BuiltinRealGetter(n.slot);
  return get ? get(f.self) : notDone(f);
}

// The same field of the other instance (`other.x`).
double numOtherBuiltin(const NumNode& n, Frame& f) {
  const RealGetter get = BuiltinRealGetter(n.slot);
  return get && f.other ? get(f.other) : notDone(f);
}

double numNegate(const NumNode& n, Frame& f) { return -run(n.a, f); }

// An element of an own array: one index in `a`, a second one in `b` when there is one.
double numElement(const NumNode& n, Frame& f) {
  // One index i is row 0, column i; two indices are the row and the column.
  int64_t row = 0;
  int64_t column = roundIndex(run(n.a, f));
  if (column < 0 || column >= kArrayDimension) return notDone(f);
  if (n.b) {
    row = column;
    column = roundIndex(run(n.b, f));
    if (column < 0 || column >= kArrayDimension) return notDone(f);
  }
  const Node* var = n.node;
  if (g_globalsDeclared && var->children[0]->value.real == -6.0 && IsDeclaredGlobal(var->id)) return notDone(f);
  const RVariable* v = SelfVariable(f, var);
  return realOf(v ? v->getAt(static_cast<size_t>(row), static_cast<size_t>(column)) : nullptr, f);
}

// The same with indices that are plain locals, the usual shape of loops over arrays.
double numElementAtLocals(const NumNode& n, Frame& f) {
  int64_t row = 0;
  int64_t column = roundIndex(realOf(f.localValue(n.slot), f));
  if (column < 0 || column >= kArrayDimension) return notDone(f);
  if (n.b) {
    row = column;
    column = roundIndex(realOf(f.localValue(n.b->slot), f));
    if (column < 0 || column >= kArrayDimension) return notDone(f);
  }
  const Node* var = n.node;
  if (g_globalsDeclared && var->children[0]->value.real == -6.0 && IsDeclaredGlobal(var->id)) return notDone(f);
  const RVariable* v = SelfVariable(f, var);
  return realOf(v ? v->getAt(static_cast<size_t>(row), static_cast<size_t>(column)) : nullptr, f);
}

// A built-in function on real arguments; where its handler would report an error, "not done".
double numCall(const NumNode& n, Frame& f) {
  double args[kMaxArguments];
  for (int32_t i = 0; i < n.slot; ++i) args[i] = run(n.args[i], f);
  double out;
  return n.call(args, n.slot, out) ? out : notDone(f);
}
double numCall1(const NumNode& n, Frame& f) {
  const double x = run(n.a, f);
  double out;
  return n.call(&x, 1, out) ? out : notDone(f);
}

template <int Op>
double numBinary(const NumNode& n, Frame& f) {
  const double l = run(n.a, f);
  return apply<Op>(l, run(n.b, f), f);
}

template <int Op>
double numBinaryConstant(const NumNode& n, Frame& f) {
  return apply<Op>(run(n.a, f), n.k, f);
}

template <int Op>
double numLocalConstant(const NumNode& n, Frame& f) {
  return apply<Op>(realOf(f.localValue(n.slot), f), n.k, f);
}

template <int Op>
double numArgumentConstant(const NumNode& n, Frame& f) {
  return apply<Op>(realOf(&scriptArguments()[n.slot], f), n.k, f);
}

template <int Op>
double numLocalLocal(const NumNode& n, Frame& f) {
  const double l = realOf(f.localValue(n.slot), f);
  return apply<Op>(l, realOf(f.localValue(n.a->slot), f), f);
}

// The node functions of one operator.
struct OperatorFunctions {
  NumFn binary, withConstant, localConstant, localLocal, argumentConstant;
};

template <int Op>
constexpr OperatorFunctions functionsOf() {
  return {&numBinary<Op>, &numBinaryConstant<Op>, &numLocalConstant<Op>, &numLocalLocal<Op>,
          &numArgumentConstant<Op>};
}

OperatorFunctions operatorFunctions(int32_t op) {
  switch (op) {
    case tk_plus: return functionsOf<tk_plus>();
    case tk_minus: return functionsOf<tk_minus>();
    case tk_times: return functionsOf<tk_times>();
    case tk_divide: return functionsOf<tk_divide>();
    case tk_div: return functionsOf<tk_div>();
    case tk_mod: return functionsOf<tk_mod>();
    case tk_less: return functionsOf<tk_less>();
    case tk_less_equal: return functionsOf<tk_less_equal>();
    case tk_greater: return functionsOf<tk_greater>();
    case tk_greater_equal: return functionsOf<tk_greater_equal>();
    case tk_equal: return functionsOf<tk_equal>();
    case tk_not_equal: return functionsOf<tk_not_equal>();
    case tk_and: return functionsOf<tk_and>();
    case tk_or: return functionsOf<tk_or>();
    default: return functionsOf<0>();  // never built: the check pass marks only these operators
  }
}

size_t countNodes(const Node& n) {
  size_t count = 1;
  for (const auto& c : n.children) count += countNodes(*c);
  return count;
}

bool isLocal(const Node& n) { return n.kind == nk_fixed_variable && n.slot >= 0; }
// A plain argument0..15 read (what build() makes a numArgument node).
bool isArgument(const Node& n) {
  return n.kind == nk_fixed_variable && n.slot < 0 && n.id >= bv_argument0 && n.id <= bv_argument15;
}

const NumNode* build(const Node& n, NumericForm& p) {
  NumNode node;
  switch (n.kind) {
    case nk_constant:
      node.fn = &numConstant;
      node.k = n.value.real;
      break;
    case nk_fixed_variable:
      if (n.slot >= 0) {
        node.fn = &numLocal;
        node.slot = n.slot;
      } else if (n.id >= bv_argument0 && n.id <= bv_argument15) {
        node.fn = &numArgument;
        node.slot = n.id - bv_argument0;
      } else if (n.id < kBuiltinVariableLimit) {
        node.fn = n.instance == -2 ? &numOtherBuiltin : &numBuiltin;
        node.slot = n.id;
      } else {
        node.fn = &numOwn;
        node.node = &n;
      }
      break;
    case nk_unary:
      node.fn = &numNegate;
      node.a = build(*n.children[0], p);
      break;
    case nk_call: {
      node.call = BuiltinEntry(n.id)->real;
      node.slot = static_cast<int32_t>(n.children.size());
      if (n.children.size() == 1) {
        node.fn = &numCall1;
        node.a = build(*n.children[0], p);
        break;
      }
      // The arguments' own calls take their rows first; this call's row comes after them.
      const NumNode* built[kMaxArguments];
      for (size_t i = 0; i < n.children.size(); ++i) built[i] = build(*n.children[i], p);
      const size_t row = p.arguments.size();
      p.arguments.insert(p.arguments.end(), built, built + n.children.size());
      node.fn = &numCall;
      node.args = p.arguments.data() + row;
      break;
    }
    case nk_variable: {
      node.node = &n;
      bool locals = true;
      for (size_t i = 1; i < n.children.size(); ++i) locals = locals && isLocal(*n.children[i]);
      if (locals) {
        node.fn = &numElementAtLocals;
        node.slot = n.children[1]->slot;
      } else {
        node.fn = &numElement;
        node.a = build(*n.children[1], p);
      }
      if (n.children.size() > 2) node.b = build(*n.children[2], p);
      break;
    }
    default: {
      const Node& left = *n.children[0];
      const Node& right = *n.children[1];
      const OperatorFunctions fns = operatorFunctions(n.id);
      if (right.kind == nk_constant) {
        node.k = right.value.real;
        if (isLocal(left)) {
          node.fn = fns.localConstant;
          node.slot = left.slot;
        } else if (isArgument(left)) {
          node.fn = fns.argumentConstant;
          node.slot = left.id - bv_argument0;
        } else {
          node.fn = fns.withConstant;
          node.a = build(left, p);
        }
      } else if (isLocal(left) && isLocal(right)) {
        node.fn = fns.localLocal;
        node.slot = left.slot;
        node.a = build(right, p);
      } else {
        node.a = build(left, p);
        node.b = build(right, p);
      }
      if (!node.fn) node.fn = fns.binary;
      break;
    }
  }
  p.nodes.push_back(node);
  return &p.nodes.back();
}

}  // namespace

std::unique_ptr<NumericForm> BuildNumericForm(const Node& n) {
  if (!n.numeric) return nullptr;
  auto form = std::make_unique<NumericForm>();
  form->nodes.reserve(countNodes(n));
  form->arguments.reserve(countNodes(n));  // at most one entry per node: the rows never move
  form->root = build(n, *form);
  return form;
}

}  // namespace qv::code
