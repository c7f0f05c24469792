// One full frame of each screen at 500 x 350, off screen: describe, end the
// UI frame, clear, replay the commands with text. Each screen runs with the
// caches on and, as the baseline, off. The install screens include the job
// poll's wait of up to a millisecond, as in the product.

#include <benchmark/benchmark.h>

#include <string>

#include "scenes.h"

namespace {

void frame(benchmark::State& state, scenes::Scene scene, bool caching) {
    scenes::Staged staged(scene, caching);
    staged.showFrame();
    for (auto _ : state) staged.window->frame();
    staged.hideDebugDialog();
}

const int registered = [] {
    for (const auto& [scene, name] : scenes::allScenes())
        for (bool caching : {true, false})
            benchmark::RegisterBenchmark((std::string(name) + (caching ? "/cached" : "/uncached")).c_str(),
                                         [scene = scene, caching](benchmark::State& s) { frame(s, scene, caching); })
                ->Unit(benchmark::kMicrosecond);
    return 0;
}();

}  // namespace
