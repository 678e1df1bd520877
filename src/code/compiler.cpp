// The compiler of CCode: resolution of names, the recursive-descent parser, the check pass with
// constant folding, and the text scrambling.
//
// Index:
//   1. text scrambling
//   2. resolution phase
//   3. parser: statements, expressions
//   4. check pass
//   5. CCode
#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>

#include "code/builtin_variables.h"
#include "code/ccode.h"
#include "code/errors.h"
#include "code/interpreter.h"
#include "code/lexer.h"
#include "code/operators.h"
#include "code/registry.h"
#include "code/rounding.h"
#include "code/variables.h"

namespace qv::code {

// ---- 1. text scrambling ----
namespace {

// The permutation T and its inverse, built from a fixed seed as the game data's byte
// substitution builds its tables.
struct Scrambler {
  std::array<uint8_t, 256> forward{}, inverse{};
  explicit Scrambler(int32_t seed) {
    int32_t a = seed % 250 + 6, b = seed / 250;
    if (a < 0) a += 256;
    if (b < 0) b += 256;
    for (int k = 0; k < 256; ++k) forward[static_cast<size_t>(k)] = static_cast<uint8_t>(k);
    for (int k = 1; k <= 10000; ++k) {
      const int j = ((k * a + b) % 254) + 1;
      std::swap(forward[static_cast<size_t>(j)], forward[static_cast<size_t>(j + 1)]);
    }
    inverse[0] = 0;
    for (int k = 1; k < 256; ++k) inverse[forward[static_cast<size_t>(k)]] = static_cast<uint8_t>(k);
  }
};
const Scrambler& scrambler() {
  static const Scrambler s(0x2F3A19);
  return s;
}

// ---- 2. resolution phase ----

// A resolved token; the values of constants wait in the compiler's table (`constant` indexes it),
// which keeps a token at 16 bytes.
struct RToken2 {
  int32_t kind;
  int32_t id;
  int32_t position;
  int32_t constant;
};

double numberValue(std::string_view text) {
  long double value = 0;
  if (!text.empty() && text[0] == '$') {
    for (size_t i = 1; i < text.size(); ++i) {
      const char c = text[i];
      int d = 0;
      if (c >= '0' && c <= '9') d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else d = c - 'A' + 10;
      value = value * 16 + d;
    }
    return static_cast<double>(value);
  }
  bool fraction = false;
  long double f = 1;
  for (char c : text) {
    if (c == '.') {
      fraction = true;
      continue;
    }
    const int d = c - '0';
    if (!fraction) {
      value = value * 10 + d;
    } else {
      f /= 10;
      value += d * f;
    }
  }
  return static_cast<double>(value);
}

}  // namespace

class Compiler {
 public:
  explicit Compiler(CCode& code) : code_(code) {}

  bool run(std::string_view text) {
    if (text.size() > kMaxCodeBytes) return failWhole(kCodeTooLargeMessage);
    {
      // The lexer's tokens and text are gone before the tree grows.
      std::string padded;
      std::vector<RToken1> raw;
      int32_t errorPos = 0;
      if (!Tokenize(text, padded, raw, errorPos)) return fail(errorPos, "Unexpected symbol.");
      if (!resolve(raw)) return false;
    }
    Node* root = code_.kind_ == kProgram ? parseProgram() : parseExpressionUnit();
    tokens_ = {};
    constants_ = {};
    if (failed_) return false;
    localNames_.clear();
    check(*root);
    if (failed_) return false;
    assignSlots(*root);
    buildPrograms(*root, false);
    PrepareStatements(*root);
    if (code_.kind_ == kExpression && root->kind == nk_constant) {
      code_.kind_ = kConstantExpression;
      code_.constant_ = root->value;
    }
    code_.root_ = root;
    code_.nodeCount_ = nodes_;
    liveNodes() += nodes_;
    return true;
  }

 private:
  // An error about the code as a whole: the message alone, without a line of a text that may be
  // megabytes long.
  bool failWhole(std::string_view message) {
    if (!failed_) {
      failed_ = true;
      RecordWholeCodeError(message);
    }
    return false;
  }

  bool fail(int32_t position, std::string_view message) {
    if (!failed_) {
      failed_ = true;
      RecordCodeError(code_, position, message);
    }
    return false;
  }

  bool resolve(const std::vector<RToken1>& raw) {
    tokens_.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
      const RToken1& t = raw[i];
      RToken2 r{t.kind, 0, t.position, -1};
      RValue value;
      if (t.kind == tk_identifier) {
        if (i + 1 < raw.size() && raw[i + 1].kind == tk_open) {
          const int32_t index = FindFunction(t.text);
          if (index < 0) return fail(t.position, "Unknown function or script: " + std::string(t.text));
          r.kind = tk_function;
          r.id = index;
        } else if (FindConstant(t.text, value)) {
          r.kind = tk_constant;
        } else {
          r.kind = tk_variable;
          r.id = variableNames().resolve(t.text);
        }
      } else if (t.kind == tk_number) {
        r.kind = tk_constant;
        value.setReal(numberValue(t.text));
      } else if (t.kind == tk_string) {
        r.kind = tk_constant;
        value.setString(t.text);
      }
      if (r.kind == tk_constant) {
        r.constant = static_cast<int32_t>(constants_.size());
        constants_.push_back(std::move(value));
      }
      tokens_.push_back(r);
    }
    return true;
  }

  // ---- 3. parser ----
  const RToken2& tok() const { return tokens_[pos_]; }
  int32_t kindAt() const { return tokens_[pos_].kind; }
  void advance() {
    if (tokens_[pos_].kind != tk_end) ++pos_;
  }

  // A new node in the code's store. Past the memory limit of compiled code the compilation fails
  // (the nodes made so far go with the code).
  Node* make(int32_t kind, int32_t position) {
    Node& n = code_.nodes_.emplace_back();
    n.kind = kind;
    n.position = position;
    if (++nodes_ + liveNodes() > kMaxLiveCodeNodes && !failed_)
      failWhole(liveNodes() > 0 ? kCodeLimitMessage : kCodeTooLargeMessage);
    return &n;
  }
  // Adds a child, keeping the depth of the tree within its limit.
  void adopt(Node& parent, Node* child) {
    if (!child) return;
    if (child->depth + 1 > parent.depth) parent.depth = child->depth + 1;
    if (parent.depth > kMaxTreeDepth) fail(parent.position, kNestingMessage);
    parent.children.push_back(child);
  }

  struct NestingGuard {
    Compiler& c;
    explicit NestingGuard(Compiler& compiler) : c(compiler) { ++c.nesting_; }
    ~NestingGuard() { --c.nesting_; }
    bool tooDeep() const { return c.nesting_ > kMaxParseNesting; }
  };

  // program -> block | {statement}
  Node* parseProgram() {
    if (kindAt() == tk_end) return make(nk_empty_program, tok().position);
    if (kindAt() == tk_begin) {
      Node* block = parseStatement();
      if (!failed_ && kindAt() != tk_end) fail(tok().position, "Program ends before end of the code.");
      return block;
    }
    auto block = make(nk_block, tok().position);
    while (!failed_ && kindAt() != tk_end) adopt(*block, parseStatement());
    return block;
  }

  Node* parseExpressionUnit() {
    if (kindAt() == tk_end) {
      auto n = make(nk_constant, tok().position);
      n->value.setReal(0.0);
      return n;
    }
    return parseExpression();
  }

  bool expect(int32_t kind, const char* message) {
    if (kindAt() != kind) return fail(tok().position, message);
    advance();
    return true;
  }

  Node* parseStatement() {
    NestingGuard guard(*this);
    if (guard.tooDeep()) {
      fail(tok().position, kNestingMessage);
      return nullptr;
    }
    Node* n = parseStatementBody();
    while (kindAt() == tk_semicolon) advance();
    return n;
  }

  Node* parseStatementBody() {
    const int32_t position = tok().position;
    switch (kindAt()) {
      case tk_begin: {
        advance();
        auto block = make(nk_block, position);
        while (!failed_ && kindAt() != tk_end_block) {
          if (kindAt() == tk_end) {
            fail(tok().position, "Symbol } expected.");
            break;
          }
          adopt(*block, parseStatement());
        }
        if (!failed_) advance();
        return block;
      }
      case tk_if: {
        advance();
        auto n = make(nk_if, position);
        adopt(*n, parseExpression());
        if (failed_) return n;
        if (kindAt() == tk_then) advance();
        adopt(*n, parseStatement());
        if (!failed_ && kindAt() == tk_else) {
          advance();
          adopt(*n, parseStatement());
        }
        return n;
      }
      case tk_while: {
        advance();
        auto n = make(nk_while, position);
        adopt(*n, parseExpression());
        if (failed_) return n;
        if (kindAt() == tk_do) advance();
        adopt(*n, parseStatement());
        return n;
      }
      case tk_do: {
        advance();
        auto n = make(nk_do, position);
        adopt(*n, parseStatement());
        if (failed_ || !expect(tk_until, "Keyword until expected.")) return n;
        adopt(*n, parseExpression());
        return n;
      }
      case tk_for: {
        advance();
        auto n = make(nk_for, position);
        if (!expect(tk_open, "Symbol ( expected.")) return n;
        adopt(*n, parseStatement());
        if (failed_) return n;
        while (kindAt() == tk_semicolon) advance();
        adopt(*n, parseExpression());
        if (failed_) return n;
        while (kindAt() == tk_semicolon) advance();
        adopt(*n, parseStatement());
        if (failed_ || !expect(tk_close, "Symbol ) expected.")) return n;
        adopt(*n, parseStatement());
        return n;
      }
      case tk_repeat:
      case tk_with: {
        const int32_t kind = kindAt() == tk_repeat ? nk_repeat : nk_with;
        advance();
        auto n = make(kind, position);
        adopt(*n, parseExpression());
        if (failed_) return n;
        if (kind == nk_with && kindAt() == tk_do) advance();
        adopt(*n, parseStatement());
        return n;
      }
      case tk_switch: {
        advance();
        auto n = make(nk_switch, position);
        adopt(*n, parseExpression());
        if (failed_ || !expect(tk_begin, "Symbol { expected.")) return n;
        while (!failed_ && kindAt() != tk_end_block) {
          if (kindAt() == tk_end) {
            fail(tok().position, "Symbol } expected.");
            break;
          }
          adopt(*n, parseStatement());
        }
        if (!failed_) advance();
        return n;
      }
      case tk_case: {
        advance();
        auto n = make(nk_case, position);
        adopt(*n, parseExpression());
        if (!failed_) expect(tk_colon, "Symbol : expected.");
        return n;
      }
      case tk_default: {
        advance();
        auto n = make(nk_default, position);
        expect(tk_colon, "Symbol : expected.");
        return n;
      }
      case tk_return: {
        advance();
        auto n = make(nk_return, position);
        adopt(*n, parseExpression());
        return n;
      }
      case tk_exit:
      case tk_break:
      case tk_continue: {
        const int32_t kind = kindAt() == tk_exit ? nk_exit : kindAt() == tk_break ? nk_break : nk_continue;
        advance();
        return make(kind, position);
      }
      case tk_var:
      case tk_globalvar: {
        auto n = make(kindAt() == tk_var ? nk_var : nk_globalvar, position);
        advance();
        while (kindAt() == tk_variable) {
          if (tok().id < kBuiltinVariableLimit) {
            fail(tok().position, "Cannot redeclare a builtin variable.");
            return n;
          }
          auto name = make(nk_constant, tok().position);
          name->id = tok().id;
          n->children.push_back(name);
          advance();
          if (kindAt() == tk_comma) advance();
        }
        return n;
      }
      case tk_function:
        return parseCall();
      case tk_semicolon:
        advance();
        return make(nk_empty, position);
      case tk_end:
        fail(position, "Unexpected end of code reached.");
        return nullptr;
      default:
        return parseAssignment();
    }
  }

  Node* parseAssignment() {
    const int32_t position = tok().position;
    Node* target = parsePostfix();
    if (failed_) return target;
    if (target->kind != nk_variable) {
      fail(tok().position, "Variable name expected.");
      return target;
    }
    const int32_t op = kindAt();
    switch (op) {
      case tk_assign: case tk_add_assign: case tk_sub_assign: case tk_mul_assign:
      case tk_div_assign: case tk_or_assign: case tk_and_assign: case tk_xor_assign:
        break;
      default:
        fail(tok().position, "Assignment operator expected.");
        return target;
    }
    advance();
    auto n = make(nk_assign, position);
    n->id = op;
    adopt(*n, target);
    adopt(*n, parseExpression());
    return n;
  }

  // Binary levels, loosest first; all operators of a level bind equally, left to right.
  static int levelOf(int32_t kind) {
    switch (kind) {
      case tk_and: case tk_or: case tk_xor: return 1;
      case tk_less: case tk_less_equal: case tk_equal: case tk_assign: case tk_not_equal:
      case tk_greater_equal: case tk_greater: return 2;
      case tk_bit_or: case tk_bit_and: case tk_bit_xor: return 3;
      case tk_shift_left: case tk_shift_right: return 4;
      case tk_plus: case tk_minus: return 5;
      case tk_times: case tk_divide: case tk_div: case tk_mod: return 6;
      default: return 0;
    }
  }

  Node* parseExpression() { return parseLevel(1); }

  // level(n) -> level(n+1) {op(n) level(n+1)}
  Node* parseLevel(int level) {
    if (level > 6) return parsePostfix();
    Node* left = parseLevel(level + 1);
    while (!failed_ && levelOf(kindAt()) == level) {
      int32_t op = kindAt();
      if (op == tk_assign) op = tk_equal;  // a single "=" inside an expression compares
      advance();
      Node* right = parseLevel(level + 1);
      auto n = make(nk_binary, left->position);
      n->id = op;
      adopt(*n, left);
      adopt(*n, right);
      left = n;
    }
    return left;
  }

  // postfix (level 7) -> operand {"." variable}
  Node* parsePostfix() {
    Node* left = parseOperand();
    while (!failed_ && kindAt() == tk_dot) {
      advance();
      if (kindAt() != tk_variable) {
        fail(tok().position, "Variable name expected.");
        return left;
      }
      Node* var = parseVariable();
      if (failed_) return var;
      const int32_t depth = left->depth;
      var->children[0] = left;
      if (depth + 1 > var->depth) var->depth = depth + 1;
      if (var->depth > kMaxTreeDepth) fail(var->position, kNestingMessage);
      left = var;
    }
    return left;
  }

  // operand (level 8) -> constant | variable | call | "(" expression ")" | prefix postfix
  Node* parseOperand() {
    NestingGuard guard(*this);
    const int32_t position = tok().position;
    if (guard.tooDeep()) {
      fail(position, kNestingMessage);
      return make(nk_constant, position);
    }
    switch (kindAt()) {
      case tk_constant: {
        auto n = make(nk_constant, position);
        n->value = constants_[static_cast<size_t>(tok().constant)];
        advance();
        return n;
      }
      case tk_variable:
        return parseVariable();
      case tk_function:
        return parseCall();
      case tk_open: {
        advance();
        Node* inner = parseExpression();
        if (!failed_) expect(tk_close, "Symbol ) expected.");
        return inner;
      }
      case tk_not: case tk_minus: case tk_plus: case tk_bit_not: {
        const int32_t op = kindAt();
        advance();
        auto n = make(nk_unary, position);
        n->id = op;
        adopt(*n, parsePostfix());
        return n;
      }
      default:
        fail(position, "Unexpected symbol in expression.");
        return make(nk_constant, position);
    }
  }

  // variable -> name ["[" [index {"," index}] "]"]
  Node* parseVariable() {
    auto n = make(nk_variable, tok().position);
    n->id = tok().id;
    auto self = make(nk_constant, tok().position);
    self->value.setReal(-6.0);
    adopt(*n, self);
    advance();
    if (kindAt() != tk_open_bracket) return n;
    advance();
    if (kindAt() == tk_close_bracket) {
      advance();
      return n;
    }
    int count = 0;
    while (!failed_) {
      if (kindAt() == tk_end) {
        fail(tok().position, "Symbol ] expected.");
        break;
      }
      if (++count > 2) {
        fail(tok().position, "Only 1- and 2-dimensional arrays are supported.");
        break;
      }
      adopt(*n, parseExpression());
      if (failed_) break;
      if (kindAt() == tk_comma) {
        advance();
      } else if (kindAt() == tk_close_bracket) {
        advance();
        break;
      } else if (kindAt() == tk_end) {
        fail(tok().position, "Symbol ] expected.");
      } else {
        fail(tok().position, "Symbol , or ] expected.");
      }
    }
    return n;
  }

  // call -> name "(" [expression {"," expression} [","]] ")"
  Node* parseCall() {
    auto n = make(nk_call, tok().position);
    n->id = tok().id;
    advance();  // the name
    advance();  // "(": resolution made the name a function only before one
    int count = 0;
    while (!failed_ && kindAt() != tk_close) {
      if (kindAt() == tk_end) {
        fail(tok().position, "Symbol ) expected.");
        return n;
      }
      adopt(*n, parseExpression());
      ++count;
      if (failed_) return n;
      if (kindAt() == tk_comma) {
        advance();
      } else if (kindAt() == tk_end) {
        fail(tok().position, "Symbol ) expected.");
      } else if (kindAt() != tk_close) {
        fail(tok().position, "Symbol , or ) expected.");
      }
    }
    if (failed_) return n;
    const int32_t wanted = FunctionArgumentCount(n->id);
    if (count > 16 || (wanted >= 0 && wanted != count))
      fail(tok().position, "Wrong number of arguments to function or script.");
    advance();
    return n;
  }

  // ---- 4. check pass: post-order, in source order ----
  void check(Node& n) {
    for (Node* c : n.children) {
      if (failed_) return;
      check(*c);
    }
    if (failed_) return;
    switch (n.kind) {
      case nk_var:
        for (auto& c : n.children) localNames_.push_back(c->id);
        break;
      case nk_variable: {
        Node& prefix = *n.children[0];
        if (prefix.kind == nk_constant && prefix.value.isReal() && prefix.value.real == -6.0 &&
            isLocalName(n.id))
          prefix.value.setReal(-7.0);
        if (prefix.kind == nk_constant && n.children.size() == 1) {
          if (prefix.value.isString()) {
            fail(prefix.position, "Left hand side must be a real value.");
            return;
          }
          n.kind = nk_fixed_variable;
          n.instance = roundToInt32(prefix.value.real);
        }
        break;
      }
      case nk_unary:
        if (n.children[0]->kind == nk_constant) {
          RValue v = n.children[0]->value;
          if (const char* error = ApplyUnary(n.id, v)) {
            fail(n.children[0]->position, error);
            return;
          }
          toConstant(n, std::move(v));
        }
        break;
      case nk_binary:
        if (n.children[0]->kind == nk_constant && n.children[1]->kind == nk_constant) {
          RValue v = n.children[0]->value;
          if (const char* error = ApplyBinary(n.id, v, n.children[1]->value)) {
            fail(n.children[1]->position, error);
            return;
          }
          toConstant(n, std::move(v));
        }
        break;
      default:
        break;
    }
  }

  static void toConstant(Node& n, RValue v) {
    n.kind = nk_constant;
    n.value = std::move(v);
    n.children = {};  // the folded operands stay in the store until the code goes
    n.depth = 1;
  }

  bool isLocalName(int32_t id) const {
    for (int32_t l : localNames_)
      if (l == id) return true;
    return false;
  }

  static bool isArgument(int32_t id) { return id >= bv_argument0 && id <= bv_argument15; }

  static bool numericOperator(int32_t op) {
    switch (op) {
      case tk_plus: case tk_minus: case tk_times: case tk_divide: case tk_div: case tk_mod:
      case tk_less: case tk_less_equal: case tk_greater: case tk_greater_equal: case tk_equal:
      case tk_not_equal: case tk_and: case tk_or:
        return true;
      default:
        return false;
    }
  }

  static void markNumeric(Node& n) {
    switch (n.kind) {
      case nk_constant: n.numeric = n.value.isReal(); break;
      case nk_fixed_variable:
        // Built-in variables count when they are plain real fields of the executing instance or
        // of the other one (`other.x`).
        n.numeric = n.slot >= 0 ||
                    ((n.id >= kUserVariableBase || isArgument(n.id) ||
                      (n.id < kBuiltinVariableLimit && BuiltinRealGetter(n.id))) &&
                     (n.instance == -1 || n.instance == -6)) ||
                    (n.id < kBuiltinVariableLimit && !isArgument(n.id) && BuiltinRealGetter(n.id) && n.instance == -2);
        break;
      case nk_binary:
        n.numeric = numericOperator(n.id) && n.children[0]->numeric && n.children[1]->numeric;
        break;
      case nk_unary:
        n.numeric = n.id == tk_minus && n.children[0]->numeric;
        break;
      case nk_call: {
        // A built-in function with a real form, on numeric arguments.
        const BuiltinFunction* fn = n.id >= 0 && n.id < kScriptIndexBase ? BuiltinEntry(n.id) : nullptr;
        bool ok = fn && fn->real && !n.children.empty() && n.children.size() <= size_t{kMaxArguments};
        for (const Node* c : n.children) ok = ok && c->numeric;
        n.numeric = ok;
        break;
      }
      case nk_variable: {
        // An array element of the executing instance's own variable, with numeric indices.
        const Node& prefix = *n.children[0];
        bool ok = n.id >= kUserVariableBase && prefix.kind == nk_constant && prefix.value.isReal() &&
                  (prefix.value.real == -1.0 || prefix.value.real == -6.0);
        for (size_t i = 1; i < n.children.size(); ++i) ok = ok && n.children[i]->numeric;
        n.numeric = ok;
        break;
      }
      default: break;
    }
  }

  // Numeric subtrees that are not part of a larger one get their numeric form; so do the indices
  // of every variable node, which assignments to elements evaluate on their own. Nodes that are
  // never run as forms get none: instance prefixes, the plain variable an assignment writes, and a
  // constant assigned or passed as an argument (read by the statements and calls directly).
  static void buildPrograms(Node& n, bool insideNumeric, bool needed = true) {
    if (n.numeric && !insideNumeric && needed) n.program = BuildNumericForm(n);
    const bool variable = n.kind == nk_variable || n.kind == nk_fixed_variable;
    for (size_t i = 0; i < n.children.size(); ++i) {
      const Node& c = *n.children[i];
      bool childNeeded = !(variable && i == 0 && c.kind == nk_constant);
      if (n.kind == nk_assign) childNeeded = i == 0 ? c.kind != nk_fixed_variable : c.kind != nk_constant;
      if (n.kind == nk_call && c.kind == nk_constant) childNeeded = false;
      buildPrograms(*n.children[i], (insideNumeric || n.numeric) && !(n.kind == nk_variable && i > 0), childNeeded);
    }
  }

  // Variables with a fixed local prefix get a slot in the execution's frame.
  void assignSlots(Node& n) {
    for (Node* c : n.children) assignSlots(*c);
    struct Mark {
      Node& n;
      ~Mark() { markNumeric(n); }
    } mark{n};
    const bool fixedLocal = n.kind == nk_fixed_variable && n.instance == -7;
    const bool indexedLocal = n.kind == nk_variable && n.children[0]->kind == nk_constant &&
                              n.children[0]->value.isReal() && n.children[0]->value.real == -7.0;
    if (!fixedLocal && !indexedLocal) return;
    int32_t slot = code_.localSlotOf(n.id);
    if (slot < 0) {
      slot = static_cast<int32_t>(code_.localIds_.size());
      code_.localIds_.push_back(n.id);
    }
    n.slot = slot;
  }

  static int64_t& liveNodes() {
    static int64_t count = 0;
    return count;
  }
  friend int64_t LiveCodeNodes();
  friend class CCode;

  CCode& code_;
  std::vector<RToken2> tokens_;
  std::vector<RValue> constants_;  // values of the constant tokens
  int64_t nodes_ = 0;
  size_t pos_ = 0;
  bool failed_ = false;
  int nesting_ = 0;
  // The table of local names of this compilation (grows as needed).
  std::vector<int32_t> localNames_;
};

// ---- 5. CCode ----

CCode::CCode(std::string_view text, bool isExpression) : kind_(isExpression ? kExpression : kProgram) {
  const Scrambler& s = scrambler();
  scrambled_.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    scrambled_[i] = static_cast<char>(s.forward[static_cast<uint8_t>(text[i])]);
}

CCode::~CCode() { Compiler::liveNodes() -= nodeCount_; }

int64_t LiveCodeNodes() { return Compiler::liveNodes(); }

std::string CCode::Text() const {
  const Scrambler& s = scrambler();
  std::string out(scrambled_.size(), '\0');
  for (size_t i = 0; i < scrambled_.size(); ++i)
    out[i] = static_cast<char>(s.inverse[static_cast<uint8_t>(scrambled_[i])]);
  return out;
}

int32_t CCode::localSlotOf(int32_t id) const {
  for (size_t i = 0; i < localIds_.size(); ++i)
    if (localIds_[i] == id) return static_cast<int32_t>(i);
  return -1;
}

bool CCode::Compile() {
  ClearRecordedError();
  if (compiled_) {
    RecordCodeError(*this, 0, "Internal Error: Recompiling compiled code.");
    return false;
  }
  EnsureBuiltinsRegistered();
  Compiler compiler(*this);
  if (!compiler.run(Text())) return false;
  compiled_ = true;
  return true;
}

}  // namespace qv::code
