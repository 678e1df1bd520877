// Start-up costs of the game file: unscrambling the main section, reading a whole game through
// the inner header, and decoding a loading picture. The floor for unscrambling is a plain copy of
// the same bytes (memcpy), measured in the same run.
#include <benchmark/benchmark.h>

#include <cstring>

#include "data/bmp_file.h"
#include "data/container.h"
#include "data/game_writer.h"

using namespace qv;

namespace {

data::CStream scrambledSection(size_t length) {
  std::mt19937 rng(1);
  std::vector<uint8_t> plain(length);
  for (auto& b : plain) b = uint8_t(rng());
  data::CStream out;
  data::CGameWriter::Scramble(out, data::CStream(plain), rng);
  return out;
}

void BM_Unscramble(benchmark::State& state) {
  data::CStream stored = scrambledSection(size_t(state.range(0)));
  for (auto _ : state) {
    stored.seek(0);
    data::CStream plain = data::Unscramble(stored);
    benchmark::DoNotOptimize(plain.bytes().data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Unscramble)->Arg(1 << 20)->Arg(16 << 20);

void BM_CopyFloor(benchmark::State& state) {
  std::vector<uint8_t> src(size_t(state.range(0)), 7);
  for (auto _ : state) {
    std::vector<uint8_t> dst(src.size());
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::DoNotOptimize(dst.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_CopyFloor)->Arg(1 << 20)->Arg(16 << 20);

void BM_ReadGameData(benchmark::State& state) {
  data::CGameWriter w;
  w.random_seed = 2;
  w.settings.loading_picture = qv::data::TBitmap32(400, 300, 0xFF336699);
  for (int i = 0; i < 1000; ++i) {
    data::CStream& r = w.Record(data::ChunkId::Sprites, i, "spr_" + std::to_string(i));
    for (int k = 0; k < 256; ++k) r.WriteInteger(i * k);
  }
  data::CStream data = w.WriteGameData();
  for (auto _ : state) {
    data::GameSettings settings;
    data::GameData game;
    benchmark::DoNotOptimize(data::ReadGameData(data, 0, settings, game));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_ReadGameData);

void BM_DecodeBmp(benchmark::State& state) {
  auto bytes = qv::data::EncodeBmp(qv::data::TBitmap32(640, 480, 0xFF102030));
  for (auto _ : state) benchmark::DoNotOptimize(qv::data::DecodeBmp(bytes.data(), bytes.size()));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_DecodeBmp);

}  // namespace
BENCHMARK_MAIN();
