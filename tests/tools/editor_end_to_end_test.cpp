// The editor end to end under a private X server: vt7000-render opens the
// module's editor in a window; real pointer events (xdotool) switch pages,
// choose an instrument from the menu and drag a knob, an XDND drop hands a WAV
// recording to voice A, the window is closed, and the render that follows
// plays the analysed voice. Pictures of the pages before and after are kept
// (VT7000_E2E_PICTURES names a folder to keep them in).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/synth_engine.h"
#include "files/byte_stream.h"
#include "files/engine_loader.h"
#include "gui/png_codec.h"
#include "gui/surface.h"
#include "tests/support/record_builder.h"
#include "tests/support/temp_folder.h"

// Xlib last: its macros would break the headers above.
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include "tests/support/x_test_server.h"
#include "tests/support/xdnd_drag_source.h"

namespace vt {
namespace {

namespace fs = std::filesystem;

void writeTone(const std::string& path, float frequency, float seconds) {
  const int rate = 44100, frames = static_cast<int>(seconds * rate);
  std::vector<std::int16_t> samples(static_cast<std::size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double envelope = std::min(1.0, t * 50.0) * std::min(1.0, (seconds - t) * 20.0);
    double v = 0.0;
    for (int h = 1; h <= 6; ++h) v += std::sin(2.0 * M_PI * frequency * h * t) * 0.5 / h;
    samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(std::lround(v * envelope * 20000.0));
  }
  std::ofstream out(path, std::ios::binary);
  auto u32 = [&](std::uint32_t x) { out.write(reinterpret_cast<const char*>(&x), 4); };
  auto u16 = [&](std::uint16_t x) { out.write(reinterpret_cast<const char*>(&x), 2); };
  const std::uint32_t bytes = static_cast<std::uint32_t>(frames) * 2;
  out.write("RIFF", 4);
  u32(36 + bytes);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(1);
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  out.write("data", 4);
  u32(bytes);
  out.write(reinterpret_cast<const char*>(samples.data()), bytes);
}

class EndToEnd : public ::testing::Test {
protected:
  void SetUp() override {
    gui::test::XTestServer& server = gui::test::XTestServer::instance();
    if (!server.isPrivate()) GTEST_SKIP() << "needs a private Xvfb";
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool not installed";
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
  }
  void TearDown() override {
    if (child > 0) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
    if (display) XCloseDisplay(display);
  }

  Window findTopLevel(const char* name) {
    Window root = DefaultRootWindow(display), parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
      char* title = nullptr;
      if (XFetchName(display, children[i], &title) && title) {
        if (std::strcmp(title, name) == 0) found = children[i];
        XFree(title);
      }
    }
    if (children) XFree(children);
    return found;
  }
  Window firstChild(Window w) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, w, &root, &parent, &children, &count) && count > 0) found = children[0];
    if (children) XFree(children);
    return found;
  }
  void xdotool(const std::string& arguments) {
    const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }
  void click(int x, int y) {
    xdotool("mousemove --window " + std::to_string(editorWindow) + " " + std::to_string(x) + " " + std::to_string(y) +
            " click 1");
  }
  void showPage(int page) { click(13 + 96 * page + 45, 76); }

  gui::Surface picture() {
    gui::Surface surface(800, 550);
    XImage* image = XGetImage(display, editorWindow, 0, 0, 800, 550, AllPlanes, ZPixmap);
    if (!image) return surface;
    for (int y = 0; y < 550; ++y)
      for (int x = 0; x < 800; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        surface.row(y)[x] =
            gui::rgb(static_cast<int>((p >> 16) & 255), static_cast<int>((p >> 8) & 255), static_cast<int>(p & 255));
      }
    XDestroyImage(image);
    return surface;
  }
  void keep(const gui::Surface& surface, const std::string& name) {
    const char* folder = std::getenv("VT7000_E2E_PICTURES");
    const std::string path = (folder && *folder ? std::string(folder) : temp.string()) + "/" + name;
    EXPECT_TRUE(gui::writePng(path.c_str(), surface)) << path;
  }
  static int differences(const gui::Surface& a, const gui::Surface& b, const gui::Rect& area) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
  }

  void dropFile(const std::string& path, int x, int y) {
    EXPECT_TRUE(gui::test::dragUrisOnto(display, editorWindow, x, y, "file://" + path + "\r\n", 1000).finished);
  }

  test::TempFolder temp;
  Display* display = nullptr;
  pid_t child = -1;
  Window hostWindow = 0, editorWindow = 0;
};

TEST_F(EndToEnd, PagesMenuKnobAndDroppedRecordingReachTheRenderedSound) {
  // A module of its own beside a small library: two instruments; the second
  // plays voice A alone.
  const fs::path module = temp.path() / "VT7000.so";
  fs::copy_file(VT7000_MODULE_PATH, module);
  std::vector<float> first(173, 0.5f), second(173, 0.5f);
  for (int p : {MorphHarmX, MorphHarmY, MorphNoiseX, MorphNoiseY, MorphAmpX, MorphAmpY, DoMorphing}) second[p] = 0.0f;
  second[Volume] = 0.6f;
  for (const auto& [name, values] : {std::pair<std::string, std::vector<float>>{"Alpha", first}, {"Beta", second}}) {
    const test::RecordBuilder record = test::instrumentRecord(name, values, 0.3f);
    temp.writeFile("Veltrane7000Data/Instruments-Factory/Tests/" + name + ".v7i",
                   std::string(record.data.begin(), record.data.end()));
  }
  const std::string tone = (temp.path() / "tone220.wav").string();
  writeTone(tone, 220.0f, 1.5f);
  const std::string out = (temp.path() / "out.wav").string();
  const std::string chunk = (temp.path() / "chunk.v7i").string();
  const std::string render = std::string(VT7000_OUTPUT_DIR) + "/vt7000-render";

  child = fork();
  if (child == 0) {
    execl(render.c_str(), render.c_str(), module.c_str(), "--editor", "--out", out.c_str(), "--chunk-out",
          chunk.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(child, 0);
  for (int i = 0; i < 200 && !(hostWindow = findTopLevel("VT7000")); ++i) usleep(50000);
  ASSERT_NE(hostWindow, 0u) << "the render host's window did not appear";
  for (int i = 0; i < 100 && !(editorWindow = firstChild(hostWindow)); ++i) usleep(50000);
  ASSERT_NE(editorWindow, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));

  const gui::Surface morphBefore = picture();
  keep(morphBefore, "e2e-before-morph.png");
  showPage(0);
  const gui::Surface voiceBefore = picture();
  keep(voiceBefore, "e2e-before-voice-a.png");
  EXPECT_GT(differences(morphBefore, voiceBefore, gui::Rect(16, 92, 787, 479)), 10000);  // the page changed

  // The instrument menu: open it, then choose the second entry of its pop-up.
  click(560, 24);
  Window popup = 0;
  {
    Window root = DefaultRootWindow(display), parent, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display, root, &root, &parent, &children, &count);
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes a;
      if (children[i] != hostWindow && XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable &&
          a.override_redirect)
        popup = children[i];
    }
    if (children) XFree(children);
  }
  ASSERT_NE(popup, 0u) << "no pop-up menu";
  XWindowAttributes menu;
  XGetWindowAttributes(display, popup, &menu);
  xdotool("mousemove --window " + std::to_string(popup) + " 20 " + std::to_string(menu.height * 3 / 4) + " click 1");

  // Drag the Volume knob on the main page round to the upper right (the host's circular knob mode).
  showPage(6);
  const gui::Surface mainBefore = picture();
  const int knobX = 16 + 335 + 17, knobY = 92 + 299 + 17;
  xdotool("mousemove --window " + std::to_string(editorWindow) + " " + std::to_string(knobX) + " " +
          std::to_string(knobY) + " mousedown 1");
  for (int step = 1; step <= 5; ++step)
    xdotool("mousemove --window " + std::to_string(editorWindow) + " " + std::to_string(knobX + 6 * step) + " " +
            std::to_string(knobY - 4 * step));
  xdotool("mouseup 1");
  const gui::Surface mainAfter = picture();
  keep(mainAfter, "e2e-after-main.png");
  EXPECT_GT(differences(mainBefore, mainAfter, gui::Rect(16 + 330, 92 + 295, 16 + 380, 92 + 375)), 20);

  // The recording dropped on voice A's page is analysed into its selected layer.
  showPage(0);
  dropFile(tone, 400, 300);
  std::this_thread::sleep_for(std::chrono::seconds(4));  // the analysis runs beside the window
  const gui::Surface voiceAfter = picture();
  keep(voiceAfter, "e2e-after-voice-a.png");
  EXPECT_GT(differences(voiceBefore, voiceAfter, gui::Rect(16 + 155, 92 + 18, 16 + 672, 92 + 114)), 200);

  // Closing the window lets the host render.
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = hostWindow;
  close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  XSendEvent(display, hostWindow, False, NoEventMask, &close);
  XFlush(display);
  int status = -1;
  for (int i = 0; i < 1200; ++i) {
    if (waitpid(child, &status, WNOHANG) == child) {
      child = -1;
      break;
    }
    usleep(50000);
  }
  ASSERT_EQ(child, -1) << "the render host did not end";
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  // The instrument chosen from the menu, with the analysed voice A at 220 Hz, was rendered.
  SynthEngine engine;
  ByteStream stream;
  ASSERT_TRUE(stream.openFileForReading(chunk.c_str()));
  ASSERT_TRUE(readInstrumentInto(engine, stream));
  EXPECT_STREQ(engine.getInstrumentName(), "Beta");
  EXPECT_GT(engine.getParameter(Volume), 0.65f);  // the knob went round to the right
  EXPECT_NEAR(engine.slot(0).harmonics[0][0].baseFrequency, 220.0f, 3.0f);
  std::ifstream wav(out, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(wav)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 44100u);
  double energy = 0.0;
  for (std::size_t i = bytes.size() / 2 & ~std::size_t(3); i + 4 <= bytes.size(); i += 4) {
    float v;
    std::memcpy(&v, bytes.data() + i, 4);
    if (std::isfinite(v)) energy += static_cast<double>(v) * v;
  }
  EXPECT_GT(energy, 1e-3);
}

}  // namespace
}  // namespace vt
