// CPU skinning of a 5,000-vertex mesh over 30 bones, one frame per
// iteration (the reported time is per frame): the offset x world products and the vertex transforms that a
// skinned model's last part runs each frame.
#include <benchmark/benchmark.h>

#include <vector>

#include "vrax/graphic/SGpObj_Mesh.h"

namespace {

void BM_SkinFrame(benchmark::State& state) {
  constexpr int kVertices = 5000;
  constexpr int kBones = 30;
  std::vector<SGpMeshVertex> src(kVertices), dst(kVertices);
  std::vector<int32_t> boneOf(kVertices);
  for (int k = 0; k < kVertices; ++k) {
    src[k] = SGpMeshVertex{float(k % 50), float(k / 50), float(k % 7), 0, 0, -1, 0xFFFFFFFFu, 0, 0};
    boneOf[k] = k % kBones;
  }
  std::vector<SMatrix> offsets(kBones), world(kBones), skin(kBones);
  for (int b = 0; b < kBones; ++b) {
    SMatrix::Translation(&offsets[b], -float(b), 0, 0);
    SMatrix::Identity(&world[b]);
    RotateZ(&world[b], &world[b], 0.01f * float(b));
    world[b].m[3][0] = float(b);
  }
  float t = 0.0f;
  for (auto _ : state) {
    world[0].m[3][1] = t;  // the pose changes from frame to frame
    t += 0.001f;
    for (int b = 0; b < kBones; ++b) SMatrix::Multiply(&skin[b], &offsets[b], &world[b]);
    SkinPositions(src.data(), dst.data(), kVertices, boneOf.data(), skin.data(), kBones);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kVertices);
}
BENCHMARK(BM_SkinFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
