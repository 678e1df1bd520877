// CCode: one compiled piece of code (a program or an expression), compiled once and executed any
// number of times.
//
// Compilation runs four phases over the whole text, stopping after the first that fails: the
// lexer, the resolution of names, the parser and the check pass. The tree that passed them is
// what the interpreter runs; the check pass also gives local variables their slots.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "code/case_table.h"
#include "code/numeric_form.h"
#include "code/tokens.h"
#include "code/value.h"

namespace qv::code {

enum CodeKind : int32_t { kProgram = 1, kExpression = 2, kConstantExpression = 3 };

struct Node;
struct Frame;
// A statement's own function, chosen after the check pass for common shapes (see interpreter.h).
using StatementFn = int (*)(const Node* n, Frame& f, RValue& slot);

// One node of the tree. `kind`, `id`, `instance`, `value`, `children` and `position` are the
// node as the parser and the check pass define it; `slot` is filled after the check pass. Nodes
// live in their CCode's store, allocated in blocks and freed with it; children are pointers into it.
struct Node {
  int32_t kind = 0;
  int32_t id = 0;        // operator token kind, function index or variable id
  int32_t instance = 0;  // kind 8: the rounded instance specifier
  int32_t position = 0;  // 1-based position of the token that began the node
  int32_t slot = -1;     // local variables with a fixed local prefix: their slot in the frame
  int32_t depth = 1;     // height of the subtree (bounded, see kMaxTreeDepth)
  // A subtree of real constants, plain locals or own variables, side-effect-free operators and
  // calls of built-in functions with a real form:
  // the interpreter may try it on doubles alone and fall back to the full walk (nothing is
  // evaluated twice that could be observed).
  bool numeric = false;
  std::unique_ptr<NumericForm> program;  // set on the roots of numeric subtrees and on indices
  StatementFn run = nullptr;  // statements: the function that runs this one, when chosen
  std::unique_ptr<CaseTable> cases;  // switches whose case labels are all constants
  // Instance variables: last position found in the store. Calls: 1 for a script call whose
  // arguments all have numeric forms (set once after the check pass).
  mutable int32_t cache = -1;
  RValue value;
  std::vector<Node*> children;

  Node* child(size_t i) const { return children[i]; }
};

// Limits of the compiler. Parsing and executing recurse natively, so an unbounded nesting in
// untrusted text would overflow the stack; beyond these a compile error is reported instead.
inline constexpr int kMaxParseNesting = 200;
inline constexpr int kMaxTreeDepth = 1000;
inline constexpr const char* kNestingMessage = "Code is nested too deeply.";

// Limits of the memory that compiled code may take. The text of one piece of code (a script, an
// action, the string of execute_string or the file of execute_file) is at most kMaxCodeBytes;
// all code compiled and alive at once (the game's own and any being executed) holds at most
// kMaxLiveCodeNodes nodes, at most about 170 bytes each with their children and numeric forms
// (a statement such as `a = 1;` is four nodes). Games hold about a node for every two bytes of
// code; past either limit a compile error is reported instead of taking gigabytes.
inline constexpr size_t kMaxCodeBytes = size_t{8} << 20;
inline constexpr int64_t kMaxLiveCodeNodes = int64_t{6} << 20;
inline constexpr const char* kCodeTooLargeMessage = "Code is too large to compile.";
inline constexpr const char* kCodeLimitMessage = "Too much code: the game's compiled code has reached its limit.";
// Nodes of all compiled code alive now.
int64_t LiveCodeNodes();

class CCode {
 public:
  CCode(std::string_view text, bool isExpression);
  ~CCode();
  CCode(const CCode&) = delete;
  CCode& operator=(const CCode&) = delete;

  // Returns true on success; on failure the error state holds the formatted first error.
  bool Compile();
  // The source text, unscrambled.
  std::string Text() const;

  int32_t kind() const { return kind_; }
  bool compiled() const { return compiled_; }
  const Node* root() const { return root_; }
  const RValue& constant() const { return constant_; }
  // Locals: the number of slots and the slot of a variable id (-1 when the code has none).
  int32_t localSlotCount() const { return static_cast<int32_t>(localIds_.size()); }
  int32_t localSlotOf(int32_t id) const;
  // The variable id of each local slot.
  const std::vector<int32_t>& localIds() const { return localIds_; }

  // The debug adapter's note of which project file this code came from (-1: not looked up yet).
  mutable int32_t sourceTag = -1;

 private:
  friend class Compiler;
  int32_t kind_;
  bool compiled_ = false;
  std::string scrambled_;
  std::deque<Node> nodes_;  // the tree's store: no allocation of its own per node
  int64_t nodeCount_ = 0;   // counted in LiveCodeNodes while this code lives
  Node* root_ = nullptr;
  RValue constant_;
  std::vector<int32_t> localIds_;  // slot -> variable id
};

}  // namespace qv::code
