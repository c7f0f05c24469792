// Cost of one UI frame: describing a window with 200 buttons and 4 KB of
// wrapped text, then walking its command list as a renderer would.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "guicore/guicore.h"

namespace {

constexpr int button_count = 200;

int text_width(gui_Font, const char* str, int len) { return 7 * (len < 0 ? (int)std::strlen(str) : len); }
int text_height(gui_Font) { return 14; }

std::unique_ptr<gui_Context> make_context() {
    auto ctx = std::make_unique<gui_Context>();
    gui_init(ctx.get());
    ctx->text_width = text_width;
    ctx->text_height = text_height;
    return ctx;
}

std::string wrapped_text() {
    std::string text;
    for (int i = 0; text.size() < 4096; i++) {
        text += "word" + std::to_string(i * 7919 % 1000);
        text += (i % 60 == 59) ? '\n' : ' ';
    }
    text.resize(4096);
    return text;
}

std::vector<std::string> button_labels() {
    std::vector<std::string> labels;
    for (int i = 0; i < button_count; i++) labels.push_back("Button " + std::to_string(i));
    return labels;
}

// Walks the list and touches every record, as a renderer's dispatch would.
long walk(gui_Context* ctx) {
    long sum = 0;
    gui_Command* cmd = nullptr;
    while (gui_next_command(ctx, &cmd)) sum += cmd->type + cmd->base.size;
    return sum;
}

// The whole window stays visible, so nothing is skipped by clipping.
void describe(gui_Context* ctx, const std::vector<std::string>* labels, const std::string* text) {
    gui_begin(ctx);
    if (gui_begin_window_ex(ctx, "Benchmark", gui_rect(0, 0, 640, 4000), GUI_OPT_NORESIZE)) {
        if (labels) {
            const int widths[] = {150, 150, 150, -1};
            gui_layout_row(ctx, 4, widths, 0);
            for (const std::string& label : *labels) gui_button_ex(ctx, label.c_str(), 0, GUI_OPT_ALIGNCENTER);
        }
        if (text) {
            const int full[] = {-1};
            gui_layout_row(ctx, 1, full, 0);
            gui_text(ctx, text->c_str());
        }
        gui_end_window(ctx);
    }
    gui_end(ctx);
}

void BM_FullFrame(benchmark::State& state) {
    auto ctx = make_context();
    auto labels = button_labels();
    auto text = wrapped_text();
    for (auto _ : state) {
        describe(ctx.get(), &labels, &text);
        benchmark::DoNotOptimize(walk(ctx.get()));
    }
    state.counters["bytes"] = ctx->command_list.idx;
    state.counters["per_widget_ns"] = benchmark::Counter((double)state.iterations() * button_count,
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Baseline: the same window with nothing in it.
void BM_EmptyWindowFrame(benchmark::State& state) {
    auto ctx = make_context();
    for (auto _ : state) {
        describe(ctx.get(), nullptr, nullptr);
        benchmark::DoNotOptimize(walk(ctx.get()));
    }
}

// Baseline: copying as many bytes as the full frame's command list holds.
void BM_CopyCommandBytes(benchmark::State& state) {
    auto ctx = make_context();
    auto labels = button_labels();
    auto text = wrapped_text();
    describe(ctx.get(), &labels, &text);
    std::vector<char> copy(ctx->command_list.idx);
    for (auto _ : state) {
        std::memcpy(copy.data(), ctx->command_list.items, copy.size());
        benchmark::ClobberMemory();
    }
    state.counters["bytes"] = (double)copy.size();
}

BENCHMARK(BM_EmptyWindowFrame);
BENCHMARK(BM_CopyCommandBytes);
BENCHMARK(BM_FullFrame);

}  // namespace
