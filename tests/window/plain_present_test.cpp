// Presenting without OpenGL: where it cannot be set up, where it fails later,
// and where the X server refuses our shared memory. The whole window test
// program also runs with indirect GLX, which offers no 3.3 context, so that
// every other case covers the plain path too.
#include "window_test.h"  // first: Xlib macros would break GoogleTest

#include <GL/gl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "xvfb_server.h"

namespace {

bool indirectGLX() {
  const char* value = getenv("LIBGL_ALWAYS_INDIRECT");
  return value && *value && std::string(value) != "0";
}

}  // namespace

class PlainPresentTest : public WindowTest {
 protected:
  // A window that presents through OpenGL, showing the pattern.
  Surf* openGLWindow(const char* title) {
    Surf* window = open(64, 48, title, SURF_RESIZE);
    drawPattern(window);
    return window;
  }
};

TEST_F(PlainPresentTest, OpenGLIsTheFirstChoiceAndIndirectGLXFallsBackToSharedMemory) {
  Surf* window = open(64, 48, "Path", SURF_RESIZE);
  EXPECT_STREQ(surfPresentation(window), indirectGLX() ? "XPutImage with MIT-SHM" : "OpenGL 3.3");
  Surf* bitmap = surfBitmap(4, 4);
  EXPECT_STREQ(surfPresentation(bitmap), "");
  surfFree(bitmap);
}

TEST_F(PlainPresentTest, WithoutOpenGLEffectsAndOwnDrawingAreLeftOut) {
  if (!indirectGLX()) GTEST_SKIP() << "runs where OpenGL cannot be set up";
  Surf* window = open(64, 48, "No effects", SURF_RESIZE | SURF_MIN2X);
  EXPECT_EQ(surfBeginOpenGL(window), 0);
  surfSetPostFX(window, 0, 0, 0, 0);
  surfSetPostShader(window, "void fxShader(out vec4 color, in vec2 uv) { color = vec4(1.0); }", -1);
  drawPattern(window);
  ASSERT_TRUE(showsPixel(window, 127, 95, packed(patternAt(63, 47))));
  expectScaledPattern(x, window);
}

TEST_F(PlainPresentTest, EffectThatDoesNotCompileFallsBackInsteadOfEndingTheProcess) {
  Surf* window = openGLWindow("Broken effect");
  if (!presentsWithGL(window)) GTEST_SKIP() << "needs OpenGL to begin with";
  testing::internal::CaptureStderr();
  surfSetPostShader(window, "void fxShader(out vec4 color, in vec2 uv) { color = undefinedThing; }", -1);
  std::string reported = testing::internal::GetCapturedStderr();
  EXPECT_NE(reported.find("shader compile error : "), std::string::npos) << reported;
  EXPECT_NE(reported.find("undefinedThing"), std::string::npos) << reported;
  EXPECT_FALSE(presentsWithGL(window));
  ASSERT_TRUE(showsPixel(window, 63, 47, packed(patternAt(63, 47))));
  expectScaledPattern(x, window);
}

TEST_F(PlainPresentTest, AfterFallingBackAnUnchangedFrameFillsTheWindowOnceThenRests) {
  Surf* window = openGLWindow("Unchanged after falling back");
  if (!presentsWithGL(window)) GTEST_SKIP() << "needs OpenGL to begin with";
  const SurfFrameClock& clock = surfInternal(window)->clock;
  testing::internal::CaptureStderr();
  surfSetPostShader(window, "void fxShader(out vec4 color, in vec2 uv) { color = undefinedThing; }", -1);
  testing::internal::GetCapturedStderr();
  ASSERT_FALSE(presentsWithGL(window));

  unsigned presents = clock.presents;
  surfUpdateUnchanged(window);
  EXPECT_EQ(clock.presents, presents + 1) << "the window was left without the bitmap";
  ASSERT_TRUE(showsPixel(window, 63, 47, packed(patternAt(63, 47))));

  presents = clock.presents;
  unsigned waits = clock.waits;
  for (int i = 0; i < 10; i++) surfUpdateUnchanged(window);
  EXPECT_EQ(clock.presents, presents) << "an unchanged bitmap was put into the window again";
  EXPECT_EQ(clock.waits, waits + 10) << "an idle frame did not rest";
}

TEST_F(PlainPresentTest, OpenGLFailingWhilePresentingFallsBackForTheRestOfTheRun) {
  Surf* window = openGLWindow("Failing present");
  if (!presentsWithGL(window)) GTEST_SKIP() << "needs OpenGL to begin with";
  ASSERT_EQ(surfBeginOpenGL(window), 1);
  glEnable(0xFFFF);  // leaves an error behind, as a context gone bad would
  testing::internal::CaptureStderr();
  surfUpdate(window);
  std::string reported = testing::internal::GetCapturedStderr();
  EXPECT_NE(reported.find("got GL error 500 when doing present"), std::string::npos) << reported;
  EXPECT_FALSE(presentsWithGL(window));
  EXPECT_EQ(surfBeginOpenGL(window), 0);
  ASSERT_TRUE(showsPixel(window, 0, 0, packed(patternAt(0, 0))));
  expectScaledPattern(x, window);
}

// The server runs as another user and cannot attach our segment: BadAccess,
// which must not end the process but leave plain XPutImage.
TEST(PlainPresentDeathTest, SharedMemoryTheServerRefusesLeavesPlainPutImage) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run the server as another user";
  EXPECT_EXIT(
      {
        setenv("LIBGL_ALWAYS_INDIRECT", "1", 1);
        int status = 0;
        {
          XvfbServer server(true);  // stopped before the exit, or it would hold the test's pipe open
          if (server.display().empty()) _exit(3);
          Display* x = XOpenDisplay(nullptr);
          Surf* window = surfWindow(40, 30, "Refused", SURF_RESIZE | SURF_MIN2X);
          drawPattern(window);
          for (int frame = 0; frame < 20; frame++) surfUpdate(window);
          XSync(x, False);
          if (std::string(surfPresentation(window)) != "XPutImage") status = 4;
          expectScaledPattern(x, window);
          if (testing::Test::HasFailure()) status = 5;
          surfFree(window);
          XCloseDisplay(x);
        }
        _exit(status);
      },
      testing::ExitedWithCode(0), "refused shared memory");
}
