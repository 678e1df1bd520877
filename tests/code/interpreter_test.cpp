// The interpreter against instances of a test world, with test-only built-ins.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "code/builtin_variables.h"
#include "code/ccode.h"
#include "code/errors.h"
#include "code/instance_world.h"
#include "code/interpreter.h"
#include "code/registry.h"
#include "code/variables.h"

namespace qv::code {
namespace {

std::vector<std::string>& calls() {
  static std::vector<std::string> log;
  return log;
}
// test_log(v): records its argument and returns it.
void testLog(BuiltinCall& c) {
  calls().push_back(c.args[0].isString() ? c.args[0].str : std::to_string(c.integer(0)));
  c.result = c.args[0];
}
// test_self(): the id of the executing instance.
void testSelf(BuiltinCall& c) { c.result.setReal(c.self->id); }
void testOther(BuiltinCall& c) { c.result.setReal(c.other->id); }

class Interpreter : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    EnsureBuiltinsRegistered();
    if (FindFunction("test_log") < 0) {
      RegisterFunction("test_log", testLog, 1);
      RegisterFunction("test_self", testSelf, 0);
      RegisterFunction("test_other", testOther, 0);
    }
  }
  void SetUp() override {
    ResetErrorState();
    errorSettings().display = false;
    globalStore().reset();
    codeSettings() = CodeSettings{};
    calls().clear();
    world_.clear();
    a_ = &world_.add(100001, 1);
    b_ = &world_.add(100002, 2);
    c_ = &world_.add(100003, 1);
    SetInstanceWorld(&world_);
  }
  void TearDown() override {
    SetInstanceWorld(nullptr);
    errorSettings() = ErrorSettings{};
    ResetErrorState();
    ClearScripts();
  }
  // Runs a program as a1 with other b; returns success and leaves the slot in `result`.
  bool run(const std::string& text) {
    CCode code(text, false);
    if (!code.Compile()) {
      message_ = errorState().current;
      ClearRecordedError();
      return false;
    }
    result_.clear();
    const bool ok = Execute(code, a_, b_, result_);
    message_ = ok ? std::string() : errorState().current;
    ClearRecordedError();
    return ok;
  }
  double var(CInstanceBase* i, const char* name) {
    const RValue* v = i->variables.get(variableNames().resolve(name), 0);
    return v ? v->real : -12345.0;
  }
  SimpleInstanceWorld world_;
  CInstanceBase *a_ = nullptr, *b_ = nullptr, *c_ = nullptr;
  RValue result_;
  std::string message_;
};

TEST_F(Interpreter, ResultSlotHoldsLastAssignmentCallOrReturn) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {{"{ a = 3; b = a * 2 }", 6},
                        {"a = 1; test_log(4)", 4},
                        {"a = 5; if (a > 9) b = 1", 5},
                        {"return 9; a = 1", 9},
                        {"for (i = 0; i < 3; i += 1) {}", 3},
                        {"with (all) k = 11", 11},
                        {"", 0}};
  for (const Case& c : cases) {
    ASSERT_TRUE(run(c.text)) << c.text << message_;
    EXPECT_EQ(result_.real, c.value) << c.text;
  }
}

// Built-in calls inside numeric code run their real forms; each must give exactly what the call
// through its handler gives (a global argument keeps the call out of numeric code), errors too.
TEST_F(Interpreter, RealFormsOfBuiltinsGiveWhatTheirHandlersGive) {
  const char* calls[] = {"abs(#)", "round(#)", "floor(#)", "ceil(#)", "sign(#)", "frac(#)", "sqrt(#)", "sqr(#)",
                         "exp(#)", "ln(#)", "log2(#)", "log10(#)", "sin(#)", "cos(#)", "tan(#)", "arcsin(#)",
                         "arccos(#)", "arctan(#)", "arctan2(#, -1)", "degtorad(#)", "radtodeg(#)", "power(#, 0.5)",
                         "power(2, #)", "logn(#, 8)", "min(#, 2, -1)", "max(3, #)", "min3(#, 0, 1)",
                         "max3(1, #, 0)", "mean(#, 1, 2)", "median(5, #, 1)", "point_distance(#, 1, 4, 5)",
                         "point_direction(0, 0, #, 1)", "lengthdir_x(#, 30)", "lengthdir_y(10, #)",
                         "sqrt(abs(#)) + max(floor(#), 1)"};
  const char* values[] = {"0", "-0.5", "0.5", "2.5", "-7.25", "1e300", "-1e-300", "1e10",
                          "1e308 * 10", "-(1e308 * 10)", "(1e308 * 10) - (1e308 * 10)"};
  struct Outcome {
    bool ok;
    RValue result;
    std::string error;
  };
  auto outcome = [&](const std::string& text) {
    ResetErrorState();
    Outcome o{run(text), result_, errorState().last};
    return o;
  };
  for (const char* call : calls) {
    for (const char* value : values) {
      std::string numeric(call), walked(call);
      for (size_t at; (at = numeric.find('#')) != std::string::npos;) numeric.replace(at, 1, "v");
      for (size_t at; (at = walked.find('#')) != std::string::npos;) walked.replace(at, 1, "global.g");
      const Outcome n = outcome(std::string("var v; v = ") + value + "; return " + numeric);
      const Outcome w = outcome(std::string("global.g = ") + value + "; return " + walked);
      const std::string where = std::string(call) + " of " + value;
      EXPECT_EQ(n.ok, w.ok) << where;
      EXPECT_EQ(n.error, w.error) << where;
      ASSERT_TRUE(n.result.isReal() && w.result.isReal()) << where;
      const bool same = std::isnan(w.result.real)
                            ? std::isnan(n.result.real)
                            : n.result.real == w.result.real && std::signbit(n.result.real) == std::signbit(w.result.real);
      EXPECT_TRUE(same) << where << ": " << n.result.real << " against " << w.result.real;
    }
  }
  // The errors of the handlers are still reported from numeric code.
  EXPECT_EQ(outcome("var v; v = -4; return sqrt(v)").error, "Cannot apply sqrt to negative number.");
  EXPECT_EQ(outcome("var v; v = 0; return ln(v)").error, "Error in function ln().");
}

TEST_F(Interpreter, OperandsAreAllEvaluatedLeftToRight) {
  ASSERT_TRUE(run("z = 0 && test_log(1); w = test_log(2) + test_log(3); q[test_log(4)] = test_log(5)"));
  EXPECT_EQ(calls(), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
}

TEST_F(Interpreter, WithSwapsSelfAndOtherAndVisitsInListOrder) {
  ASSERT_TRUE(run("with (all) test_log(test_self())"));
  EXPECT_EQ(calls(), (std::vector<std::string>{"100001", "100002", "100003"}));
  calls().clear();
  ASSERT_TRUE(run("with (1) { test_log(test_other()); continue }"));
  EXPECT_EQ(calls(), (std::vector<std::string>{"100001", "100001"}));
  calls().clear();
  ASSERT_TRUE(run("with (all) { test_log(test_self()); break }"));
  EXPECT_EQ(calls(), (std::vector<std::string>{"100001"}));
  calls().clear();
  ASSERT_TRUE(run("with (100002) with (other) test_log(test_self())"));
  EXPECT_EQ(calls(), (std::vector<std::string>{"100001"}));
  b_->destroyed = true;
  calls().clear();
  ASSERT_TRUE(run("with (all) test_log(test_self()); with (100002) test_log(0); with (noone) test_log(0)"));
  EXPECT_EQ(calls(), (std::vector<std::string>{"100001", "100003"}));
}

TEST_F(Interpreter, WithRejectsLocalAndGlobalAndNonReals) {
  for (const auto& [text, message] : {std::pair{"with (local) a = 1", "Cannot use local in with statement."},
                                      std::pair{"with (global) a = 1", "Cannot use global in with statement."},
                                      std::pair{"s = \"x\"; with (s) a = 1", "Object id expected"}}) {
    EXPECT_FALSE(run(text));
    EXPECT_NE(message_.find(message), std::string::npos) << message_;
  }
}

TEST_F(Interpreter, SpecifiersChooseTheStore) {
  ASSERT_TRUE(run("(1).v = 4; all.u = 2; other.o = 3"));
  EXPECT_EQ(var(a_, "v"), 4);
  EXPECT_EQ(var(c_, "v"), 4);
  EXPECT_EQ(var(b_, "v"), -12345);
  EXPECT_EQ(var(b_, "u"), 2);
  EXPECT_EQ(var(b_, "o"), 3);
  ASSERT_TRUE(run("r = (2).o + all.u"));
  EXPECT_EQ(var(a_, "r"), 5);
  EXPECT_FALSE(run("r = (100077).o"));
  EXPECT_NE(message_.find("Unknown variable o"), std::string::npos);
  EXPECT_FALSE(run("(-8).o = 1"));
  EXPECT_NE(message_.find("Cannot assign to the variable"), std::string::npos);
  EXPECT_FALSE(run("s = \"t\"; (s).o = 1"));
  EXPECT_NE(message_.find("Wrong type of variable index"), std::string::npos);
}

TEST_F(Interpreter, GlobalvarActsWhenExecutedAndVarAtCompileTime) {
  ASSERT_TRUE(run("h = 1; globalvar h; h = 2"));
  EXPECT_EQ(var(a_, "h"), 1);
  const RValue* g = globalStore().list().get(variableNames().resolve("h"), 0);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->real, 2);
  ASSERT_TRUE(run("n = 1; var n; n = 5"));
  EXPECT_EQ(var(a_, "n"), 1);
  EXPECT_FALSE(run("var m; k = m"));
  EXPECT_NE(message_.find("Unknown variable m"), std::string::npos);
}

TEST_F(Interpreter, UninitialisedAsZeroReadsWithoutCreating) {
  codeSettings().uninitializedAsZero = true;
  ASSERT_TRUE(run("t = never_written + 1; nn += 5"));
  EXPECT_EQ(var(a_, "t"), 1);
  EXPECT_EQ(var(a_, "nn"), 5);
  EXPECT_EQ(var(a_, "never_written"), -12345);
}

TEST_F(Interpreter, RuntimeMessagesOfStatements) {
  const std::pair<const char*, const char*> cases[] = {
      {"if (\"s\") a = 1", "Expression expected"},
      {"while (\"s\") a = 1", "Boolean expression expected"},
      {"repeat (\"s\") a = 1", "Repeat count must be a number"},
      {"case 1: a = 1", "Case statement only allowed inside switch statement."},
      {"default: a = 1", "Default statement only allowed inside switch statement."},
      {"if (1) ;", "Statement expected."},
      {"s = \"a\"; s -= 1", "Wrong type of arguments to -."},
      {"s = \"a\"; t = s < 1", "Cannot compare arguments."},
      {"z = 0; t = 1 / z", "Division by 0."},
      {"i = 32000; a[i] = 1", "Array index >= 32000"},
      {"a[\"s\"] = 1", "Wrong type of array index"},
  };
  for (const auto& [text, message] : cases) {
    EXPECT_FALSE(run(text)) << text;
    EXPECT_NE(message_.find(message), std::string::npos) << text << "\n" << message_;
  }
}

TEST_F(Interpreter, FailedCompoundAssignmentWritesNothing) {
  EXPECT_FALSE(run("s = \"a\"; s *= 2"));
  ASSERT_TRUE(run("t = s + \"b\""));
  const RValue* t = a_->variables.get(variableNames().resolve("t"), 0);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->str, "ab");
}

TEST_F(Interpreter, ScriptArgumentsAreRestoredAfterFailure) {
  AddScript("bad", "return argument0 + undefined_thing");
  ASSERT_TRUE(CompileScripts());
  scriptArguments()[0].setReal(77);
  NoteArgumentWritten(0);
  EXPECT_FALSE(run("bad(1, 2, 3)"));
  EXPECT_EQ(message_.rfind("In script bad:\rError in code at line 1:", 0), 0u) << message_;
  EXPECT_EQ(scriptArguments()[0].real, 77);
  EXPECT_EQ(scriptArguments()[2].real, 0);
  scriptArguments()[0].clear();
}

TEST_F(Interpreter, ExecuteChecksComeInOrder) {
  CCode notCompiled("1", true);
  RValue r;
  EXPECT_FALSE(Execute(notCompiled, a_, a_, r));
  EXPECT_NE(errorState().current.find("Internal Error: Executing non-compiled code."), std::string::npos);
  CCode constant("2 + 3", true);
  ASSERT_TRUE(constant.Compile());
  EXPECT_TRUE(Execute(constant, nullptr, nullptr, r));  // a constant needs no instance
  EXPECT_EQ(r.real, 5);
  CCode program("a = 1", false);
  ASSERT_TRUE(program.Compile());
  EXPECT_FALSE(Execute(program, nullptr, a_, r));
  EXPECT_NE(errorState().current.find("Internal Error: Executing code for nil instance."), std::string::npos);
  ClearRecordedError();
  EXPECT_FALSE(ExecuteValue(program, nullptr, a_, r));
  EXPECT_EQ(r.str, "ERROR");
}

TEST_F(Interpreter, DeepRecursionEndsInAnError) {
  AddScript("down", "return down(argument0 + 1)");
  ASSERT_TRUE(CompileScripts());
  EXPECT_FALSE(run("down(0)"));
  EXPECT_NE(message_.find(kDepthMessage), std::string::npos);
  EXPECT_EQ(message_.rfind("In script down:\r", 0), 0u);
}

TEST_F(Interpreter, NestedExecuteStringEndsInAnError) {
  ASSERT_TRUE(run("s = \"execute_string(s)\"; execute_string(s)"));
  EXPECT_NE(errorState().last.find(kDepthMessage), std::string::npos);
}

TEST_F(Interpreter, StepBudgetStopsEndlessLoops) {
  SetStepBudget(1000);
  EXPECT_FALSE(run("while (1) {}"));
  SetStepBudget(-1);
  EXPECT_NE(message_.find(kBudgetMessage), std::string::npos);
}

TEST_F(Interpreter, VariableFunctionsByName) {
  ASSERT_TRUE(run("variable_global_set(\"gv\", 3); variable_local_array2_set(\"lv\", 1, 2, 9);"
                  "r1 = variable_global_get(\"gv\"); r2 = lv[1, 2]; r3 = variable_global_exists(\"nothing\");"
                  "r4 = variable_local_exists(\"lv\"); r5 = variable_global_array_get(\"gv\", 32000)"));
  EXPECT_EQ(var(a_, "r1"), 3);
  EXPECT_EQ(var(a_, "r2"), 9);
  EXPECT_EQ(var(a_, "r3"), 0);
  EXPECT_EQ(var(a_, "r4"), 1);
  EXPECT_EQ(var(a_, "r5"), 0);
  EXPECT_EQ(errorState().last, "Array index >= 32000");
  EXPECT_GE(variableNames().findUser("nothing"), 0);
}

TEST_F(Interpreter, ExecuteStringCompileFailureIsReportedAndClears) {
  ASSERT_TRUE(run("r = execute_string(\"x = \"); t = 1"));
  EXPECT_EQ(errorState().last.rfind("COMPILATION ERROR in string to be executed\rError in code at line 1:", 0), 0u);
  EXPECT_EQ(var(a_, "r"), 0);
  // The caller's own later error is recorded with its own text, not the old message.
  EXPECT_FALSE(run("execute_string(\"x = \"); s = \"q\"; t = s - 1"));
  EXPECT_NE(message_.find("t = s - 1"), std::string::npos) << message_;
}

TEST_F(Interpreter, ExecuteFileRunsEveryLineWithArguments) {
  const std::string path = testing::TempDir() + "qv_execute_file.txt";
  {
    std::ofstream out(path, std::ios::binary);
    out << "ef = argument0 * 2\r\nef += 1\nreturn ef";
  }
  ASSERT_TRUE(run("r = execute_file(\"" + path + "\", 20)"));
  EXPECT_EQ(var(a_, "r"), 41);
  ASSERT_TRUE(run("r = execute_file(\"" + path + ".missing\")"));
  EXPECT_EQ(errorState().last, "Trying to execute non-existing file.");
  std::remove(path.c_str());
}

// The error log goes to the working folder; each test process works in its own temporary folder
// so that tests running at the same time never write or remove each other's log.
class ErrorHandler : public testing::Test {
 protected:
  void SetUp() override {
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    ResetErrorState();
    errorSettings() = ErrorSettings{};
    errorSettings().display = false;
  }
  void TearDown() override {
    errorSettings() = ErrorSettings{};
    ResetErrorState();
    SetActionHeaderSource(nullptr);
    SetAbortHandler(nullptr);
    std::remove("game_errors.log");
    std::filesystem::current_path(previousFolder_);
  }

 private:
  std::filesystem::path previousFolder_;
};

TEST_F(ErrorHandler, RemembersLogsAndAborts) {
  errorSettings().log = true;
  int aborts = 0;
  SetAbortHandler([&] { ++aborts; });
  HandleError("first", false);
  HandleError("second", false);
  EXPECT_TRUE(errorState().occurred);
  EXPECT_EQ(errorState().last, "second");
  std::ifstream in("game_errors.log", std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(ss.str(), "first\r\n\r\n\r\nsecond\r\n\r\n\r\n");
  HandleError("fatal", true);
  EXPECT_TRUE(errorState().aborting);
  EXPECT_EQ(aborts, 1);
  HandleError("ignored", false);
  EXPECT_EQ(errorState().last, "fatal");
}

TEST_F(ErrorHandler, AbortOnAllMakesEveryErrorFatal) {
  errorSettings().abortOnAll = true;
  HandleError("any", false);
  EXPECT_TRUE(errorState().aborting);
}

TEST_F(ErrorHandler, ActionHeaders) {
  SetActionHeaderSource([](ActionHeader& h) {
    h.actionNumber = 1;
    h.eventName = "Step Event";
    h.objectName = "obj_player";
    return true;
  });
  ReportActionError("boom", false);
  EXPECT_EQ(errorState().last, "ERROR in\r\naction number 2\r\nof Step Event\r\nfor object obj_player:\r\n\r\nboom");
  ActionHeader timeLine;
  timeLine.timeLine = true;
  timeLine.step = 30;
  timeLine.timeLineName = "tl_intro";
  EXPECT_EQ(FormatActionError(timeLine, "m", true),
            "FATAL ERROR in\r\naction number 1\r\nat time step 30\r\nof time line tl_intro:\r\n\r\nm");
}

TEST_F(ErrorHandler, FirstRecordedErrorWins) {
  CCode code("a = 1", false);
  RecordCodeError(code, 1, "first");
  RecordCodeError(code, 1, "second");
  EXPECT_NE(errorState().current.find("first"), std::string::npos);
  EXPECT_EQ(errorState().current.find("second"), std::string::npos);
  ClearRecordedError();
}

}  // namespace
}  // namespace qv::code
