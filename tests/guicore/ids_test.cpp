#include <gtest/gtest.h>

#include <cstring>

#include "gui_harness.h"

namespace {

gui_Id hash(gui_Context *ctx, const char *s) { return gui_get_id(ctx, s, (int)std::strlen(s)); }

TEST(GuiIds, MatchPublishedFnv1aVectorsWithEmptyScope) {
  auto ctx = guitest::make_context();
  EXPECT_EQ(hash(ctx.get(), ""), 0x811c9dc5u);
  EXPECT_EQ(hash(ctx.get(), "a"), 0xe40c292cu);
  EXPECT_EQ(hash(ctx.get(), "foobar"), 0xbf9cf968u);
  EXPECT_EQ(ctx->last_id, 0xbf9cf968u);
}

TEST(GuiIds, NestedScopesChainTheHash) {
  auto ctx = guitest::make_context();
  gui_Id flat = hash(ctx.get(), "windowbutton");
  gui_Id alone = hash(ctx.get(), "button");
  gui_Id window = hash(ctx.get(), "window");

  gui_push_id(ctx.get(), "window", 6);
  EXPECT_EQ(ctx->last_id, window);
  gui_Id scoped = hash(ctx.get(), "button");
  gui_pop_id(ctx.get());

  // FNV-1a continued from the scope's hash equals the hash of the joined bytes.
  EXPECT_EQ(scoped, flat);
  EXPECT_NE(scoped, alone);
  EXPECT_EQ(hash(ctx.get(), "button"), alone);
}

TEST(GuiPools, InitTakesTheLeastRecentlyUsedItem) {
  auto ctx = guitest::make_context();
  ctx->frame = 10;
  gui_PoolItem items[4] = {{1, 7}, {2, 3}, {3, 3}, {4, 9}};
  int n = gui_pool_init(ctx.get(), items, 4, 42);
  EXPECT_EQ(n, 1); // first of the two oldest
  EXPECT_EQ(items[1].id, 42u);
  EXPECT_EQ(items[1].last_update, 10);
  EXPECT_EQ(gui_pool_get(ctx.get(), items, 4, 42), 1);
  EXPECT_EQ(gui_pool_get(ctx.get(), items, 4, 2), -1);

  gui_pool_update(ctx.get(), items, 2);
  EXPECT_EQ(items[2].last_update, 10);
  EXPECT_EQ(gui_pool_init(ctx.get(), items, 4, 43), 0);
}

} // namespace
