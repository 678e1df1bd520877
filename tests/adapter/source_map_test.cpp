// The way from compiled code to project files and lines, and the trailer that carries the files.
#include "adapter/source_map.h"

#include <gtest/gtest.h>

#include "code/ccode.h"
#include "code/errors.h"
#include "data/code_sources.h"

namespace {

using qv::adapter::kNoSource;
using qv::adapter::SourceMap;
using qv::data::CodeSources;

TEST(CodeSources, TrailerReadsBackAndDamageReadsAsNone) {
  const CodeSources sources{"/home/ada/game", {{qv::data::CodeTextHash("a = 1;"), "scripts/a.txt"},
                                               {qv::data::CodeTextHash(""), "rooms/r/creation.txt"}}};
  std::vector<uint8_t> file = {1, 2, 3};
  qv::data::AppendCodeSources(file, sources);
  EXPECT_EQ(qv::data::ReadCodeSources(file), sources);
  EXPECT_FALSE(qv::data::ReadCodeSources({1, 2, 3}));
  // Cut at the front, the trailer reads until its own text is cut; cut at the end, never; every
  // damaged length byte reads as none, never past the file.
  for (size_t cut = 1; cut < file.size(); ++cut) {
    EXPECT_EQ(qv::data::ReadCodeSources(std::vector<uint8_t>(file.begin() + ptrdiff_t(cut), file.end())).has_value(),
              cut <= 3)
        << cut;
    EXPECT_FALSE(qv::data::ReadCodeSources(std::vector<uint8_t>(file.begin(), file.end() - ptrdiff_t(cut)))) << cut;
  }
  for (size_t at = 0; at < 4; ++at) {
    std::vector<uint8_t> damaged = file;
    damaged[damaged.size() - 12 + at] = 0xFF;
    EXPECT_FALSE(qv::data::ReadCodeSources(damaged));
  }
}

TEST(SourceMap, FindsFilesByTextAndCountsLinesAsTheCompilerDoes) {
  const std::string text = "a = 1;\r\nb = 2;\rc = 3;\nd = 4;";
  SourceMap map;
  map.Set({"/p/game", {{qv::data::CodeTextHash("other"), "scripts/other.txt"},
                       {qv::data::CodeTextHash(text), "./objects//o/create.txt"}}});
  qv::code::CCode code(text, false);
  ASSERT_TRUE(code.Compile()) << qv::code::errorState().current;
  const int32_t file = map.FileOf(code);
  EXPECT_EQ(file, 1);
  EXPECT_EQ(code.sourceTag, 1);
  struct Case {
    char letter;
    int32_t line;
  };
  for (const Case c : {Case{'a', 1}, Case{'b', 2}, Case{'c', 3}, Case{'d', 4}}) {
    const int32_t position = int32_t(text.find(c.letter)) + 1;
    EXPECT_EQ(map.LineOf(file, code, position), c.line) << c.letter;
  }
  qv::code::CCode unknown("z = 9;", false);
  EXPECT_EQ(map.FileOf(unknown), kNoSource);

  EXPECT_EQ(map.FileNamed("/p/game/objects/o/create.txt"), 1);
  EXPECT_EQ(map.FileNamed("objects/o/create.txt"), 1);
  EXPECT_EQ(map.FileNamed("/mnt/elsewhere/objects/o/create.txt"), 1);  // the folder seen through another path
  EXPECT_EQ(map.FileNamed("/p/game/objects/o/xcreate.txt"), -1);
  EXPECT_EQ(map.FileNamed("/p/game/scripts/missing.txt"), -1);
  EXPECT_EQ(map.PathOf(1), "/p/game/objects/o/create.txt");
}

}  // namespace
