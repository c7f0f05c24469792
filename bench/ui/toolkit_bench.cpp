// What the toolkit and the renderer add over the primitives they drive: each
// pair runs the same work once through our layer and once by hand.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "guicore/guicore.h"
#include "ui/context.h"
#include "ui/renderer.h"
#include "ui/toolkit.h"
#include "ui/widgets.h"

namespace {

constexpr int width = 500;
constexpr int height = 350;
constexpr int rows = 12;
constexpr int cellsPerRow = 5;
constexpr int rootOptions = GUI_OPT_NOTITLE | GUI_OPT_NOFRAME | GUI_OPT_NOSCROLL | GUI_OPT_NORESIZE;

struct Context {
    std::unique_ptr<gui_Context> ctx = std::make_unique<gui_Context>();
    Context() {
        gui_init(ctx.get());
        prepareContext(ctx.get());
    }
};

std::shared_ptr<Surf> whiteIcon() {
    std::shared_ptr<Surf> icon(surfBitmap(18, 18), surfFree);
    surfClear(icon.get(), SPixel{255, 255, 255, 255});
    return icon;
}

// A grid of rows of mixed fixed and share cells, each cell filled.
void describeGrid(UIToolkit& toolkit) {
    const ChildUI fill = [](UIToolkit& t) { gui_draw_rect(&t.context(), t.peekNextLayout(), gui_color(1, 2, 3, 255)); };
    std::vector<UI::Cell> columnCells;
    for (int r = 0; r < rows; ++r) {
        columnCells.emplace_back(UI::Row{{fill, UI::Fixed(24)},
                                         {fill, UI::Share(1.0f)},
                                         {fill, UI::Fixed(4)},
                                         {fill, UI::Share(0.5f)},
                                         {fill, UI::Share(1.0f)}},
                                 UI::Share(1.0f));
    }
    toolkit.column(-1, true, columnCells);
}

void BM_ToolkitGrid(benchmark::State& state) {
    Context c;
    UIContext uic{c.ctx.get(), width, height, 1.0f};
    for (auto _ : state) {
        gui_begin(c.ctx.get());
        UIToolkit toolkit(uic);
        toolkit.window("Root", describeGrid, rootOptions);
        gui_end(c.ctx.get());
        benchmark::DoNotOptimize(c.ctx->command_list.idx);
    }
}
BENCHMARK(BM_ToolkitGrid);

// The same cells laid out with the UI core's own calls and precomputed widths.
void BM_ToolkitGridBaseline(benchmark::State& state) {
    Context c;
    gui_Context* ctx = c.ctx.get();
    const int full[] = {-1};
    for (auto _ : state) {
        gui_begin(ctx);
        gui_begin_window_ex(ctx, "Root", gui_rect(0, 0, width, height), rootOptions);
        gui_layout_row(ctx, 1, full, -1);
        gui_layout_begin_column(ctx);
        gui_layout_row(ctx, 1, full, -1);
        gui_draw_rect(ctx, ctx->layout_stack.items[ctx->layout_stack.idx - 1].body, gui_color(1, 2, 3, 255));
        const int rowHeight = (height - (rows - 1) * ctx->style->spacing) / rows;
        for (int r = 0; r < rows; ++r) {
            const int widths[cellsPerRow] = {24, 168, 4, 84, 168};
            gui_layout_row(ctx, 1, full, rowHeight);
            gui_layout_begin_column(ctx);
            gui_layout_row(ctx, 1, full, -1);
            gui_layout_row(ctx, cellsPerRow, widths, -1);
            for (int i = 0; i < cellsPerRow; ++i) gui_draw_rect(ctx, gui_layout_next(ctx), gui_color(1, 2, 3, 255));
            gui_layout_end_column(ctx);
        }
        gui_layout_end_column(ctx);
        gui_end_window(ctx);
        gui_end(ctx);
        benchmark::DoNotOptimize(ctx->command_list.idx);
    }
}
BENCHMARK(BM_ToolkitGridBaseline);

constexpr int rects = 200;
constexpr int icons = 50;

struct RawCommands : UIRendererDelegate {
    void render(UIContext& context) override {
        for (int i = 0; i < rects; ++i) {
            auto* cmd = gui_push_command(context.ctx, GUI_COMMAND_RECT, sizeof(gui_RectCommand));
            cmd->rect.rect = gui_rect((i * 7) % 450, (i * 11) % 300, 40, 30);
            cmd->rect.color = gui_color(i, 100, 200, 255);
        }
        for (int i = 0; i < icons; ++i) {
            auto* cmd = gui_push_command(context.ctx, GUI_COMMAND_ICON, sizeof(gui_IconCommand));
            cmd->icon.rect = gui_rect((i * 13) % 470, (i * 17) % 320, 24, 24);
            cmd->icon.id = GUI_ICON_CHECK;
            cmd->icon.color = gui_color(17, 17, 17, 255);
        }
    }
};

void BM_RendererReplay(benchmark::State& state) {
    Context c;
    Bitmap target(width, height, 1.0f);
    const std::shared_ptr<Surf> icon = whiteIcon();
    RawCommands delegate;
    for (auto _ : state) {
        UIRenderer renderer(target, c.ctx.get(), UIIconSet(icon, icon, icon, icon), delegate);
        renderer.render();
        benchmark::DoNotOptimize(target.data());
    }
}
BENCHMARK(BM_RendererReplay);

// The same pixels drawn straight with the window layer's primitives.
void BM_RendererReplayBaseline(benchmark::State& state) {
    Bitmap target(width, height, 1.0f);
    const std::shared_ptr<Surf> icon = whiteIcon();
    Surf* s = target.surfHandle();
    for (auto _ : state) {
        surfClear(s, SPixel{0, 0, 0, 255});
        for (int i = 0; i < rects; ++i) {
            surfFill(s, (i * 7) % 450, (i * 11) % 300, 40, 30, SPixel{static_cast<unsigned char>(i), 100, 200, 255});
        }
        for (int i = 0; i < icons; ++i) {
            surfBlitTint(s, icon.get(), (i * 13) % 470 + 3, (i * 17) % 320 + 3, 0, 0, 18, 18, SPixel{17, 17, 17, 255});
        }
        benchmark::DoNotOptimize(target.data());
    }
}
BENCHMARK(BM_RendererReplayBaseline);

}  // namespace
