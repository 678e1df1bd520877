// The numeric form of a subtree: a tree of small functions on doubles, one per node, built once
// after the check pass for subtrees made only of real constants, plain locals, own variables,
// script arguments, built-in real fields of the executing or the other instance, elements of own
// arrays with such indices, calls of built-in functions that have a real form (sqrt, sin, max:
// BuiltinFunction::real) on such arguments, unary minus and the operators
// + - * / div mod < <= > >= == != && ||.
//
// Running it reads variables and has no other effect. Whenever an operand is not a real, a
// variable or element is missing, an index is out of range or a divisor is 0, the run reports
// "not done" and the caller walks the tree instead, which meets and reports the same error at the
// same node. Constants and operators with a constant right operand get their own node functions,
// so that `i < 100`, `i * 2` or `n mod 7` cost one call.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "code/builtin.h"

namespace qv::code {

struct Node;
struct Frame;
struct NumNode;

// Evaluates a node; sets `f.numericFailed` instead of returning a meaningful value when it cannot.
using NumFn = double (*)(const NumNode& n, Frame& f);

struct NumNode {
  NumFn fn = nullptr;
  const NumNode* a = nullptr;  // left operand, the first index, or a call's only argument
  const NumNode* b = nullptr;  // right operand, or the second index
  double k = 0.0;              // a constant, or a constant right operand
  int32_t slot = 0;            // a local slot or an argument entry; a call's argument count
  const Node* node = nullptr;  // own variables and elements: the variable node (its id and cache)
  RealForm call = nullptr;             // calls: the function
  const NumNode* const* args = nullptr;  // calls: the arguments, in order
};

struct NumericForm {
  std::vector<NumNode> nodes;  // reserved before building: nodes point at each other
  std::vector<const NumNode*> arguments;  // the calls' arguments, each call's in a row (reserved)
  const NumNode* root = nullptr;
};

// The form of a numeric subtree (Node::numeric), or nullptr when the subtree has none.
std::unique_ptr<NumericForm> BuildNumericForm(const Node& n);

}  // namespace qv::code
