// Checks the committed data folder the way the game will read it: every image at every
// resolution cuts into exactly its frame grid and has its frames where the game draws them,
// every effect is a clean 16-bit PCM WAV, and the tune decodes and loops without a click. Where
// the generator is built: it is deterministic and writes exactly the committed files.
#include <gtest/gtest.h>

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_image.h>
#include <stb/stb_vorbis.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include "host/audiodata.h"
#include "tests/support/process.h"

namespace {

struct Sheet {
  const char* name;
  int frameW, frameH, frames;  // at 1x, as the asset loader asks for them
  std::vector<int> used;       // frames the game draws, which must not be blank
  bool centred;                // the used frames are turned about their centre by the game
};

// The sprite sheet's frames 0 to 32 but 15.
const std::vector<int> kSprites = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 16,
                                   17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};

const Sheet kSheets[] = {
    {"gfx", 32, 32, 64, kSprites, true},
    {"BadgesA", 64, 64, 64, {0}, true},
    {"common/circle", 256, 256, 4, {1, 2, 3}, true},
    {"fonts/shadow_editundo", 16, 16, 128, {}, false},
    {"common/Testcard_Circle", 256, 256, 1, {}, false},
    {"common/TOVALogo", 256, 256, 1, {}, false},
    {"common/dpad", 32, 32, 16, {}, false},
    {"common/Buttons", 64, 64, 16, {0, 1, 2, 3, 4, 5, 8, 9, 10, 12}, true},
    {"parts", 8, 8, 256, {}, false},
    {"common/icons", 32, 32, 16, {0, 1, 3, 6}, true},
    {"logo", 256, 128, 1, {}, false},
    {"menu", 256, 256, 4, {0, 1, 2}, false},
};
const char* const kSuffix[3] = {"", "-hd", "-hd2"};

// An image file as RGBA; w is 0 when it does not load.
struct Pixels {
  int w = 0, h = 0, channels = 0;
  std::vector<unsigned char> rgba;
  explicit Pixels(const std::string& path) {
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &channels, 4);
    if (data) rgba.assign(data, data + static_cast<size_t>(w) * h * 4);
    stbi_image_free(data);
  }
  int Alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * w + x) * 4 + 3]; }
};

// Ink box of one frame: {x0, y0, x1, y1} of pixels with visible alpha, relative to the frame's
// centre; empty when the frame is blank.
std::vector<double> Ink(const Pixels& p, int fx, int fy, int fw, int fh) {
  int x0 = fw, y0 = fh, x1 = -1, y1 = -1;
  for (int y = 0; y < fh; y++)
    for (int x = 0; x < fw; x++)
      if (p.Alpha(fx + x, fy + y) > 40) {
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
      }
  if (x1 < 0) return {};
  return {x0 - fw / 2.0, y0 - fh / 2.0, x1 + 1 - fw / 2.0, y1 + 1 - fh / 2.0};
}

// A WAV file read as the game reads it: the host's reader, 16-bit samples only (none when it
// does not read or holds other samples).
struct Wav {
  int channels = 0, rate = 0;
  std::vector<short> samples;
  explicit Wav(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    int frames = 0, bytes = 0;
    unsigned char* data = file ? LoadWAV(file, &frames, &channels, &bytes, &rate) : nullptr;
    if (file) std::fclose(file);
    const short* first = reinterpret_cast<const short*>(data);
    if (data && bytes == 2) samples.assign(first, first + frames * channels);
    std::free(data);
  }
};

TEST(DataImages, EveryImageIsItsFrameGridAtEachResolutionWithTheUsedFramesDrawn) {
  for (const Sheet& sheet : kSheets) {
    int cols0 = 0, rows0 = 0;
    for (int r = 0; r < 3; r++) {
      int s = 1 << r, fw = sheet.frameW * s, fh = sheet.frameH * s;
      std::string path = std::string("data/") + sheet.name + kSuffix[r] + ".png";
      SCOPED_TRACE(path);
      Pixels p(path);
      ASSERT_GT(p.w, 0);
      EXPECT_EQ(p.channels, 4) << "should carry alpha";
      EXPECT_EQ(p.w % fw + p.h % fh, 0);
      int cols = p.w / fw, rows = p.h / fh;
      // The loader walks the frames row by row; they must all fit and no row may be spare.
      EXPECT_TRUE(cols * rows >= sheet.frames && cols * (rows - 1) < sheet.frames);
      if (r == 0) cols0 = cols, rows0 = rows;
      EXPECT_TRUE(cols == cols0 && rows == rows0) << "the grid differs between resolutions";
      for (int f : sheet.used) {
        std::vector<double> ink = Ink(p, (f % cols) * fw, (f / cols) * fh, fw, fh);
        ASSERT_FALSE(ink.empty()) << " frame " << f << " is blank";
        EXPECT_NEAR(sheet.centred ? (ink[0] + ink[2]) / s : 0, 0, 3.0) << "frame " << f;
      }
    }
  }
}

TEST(DataSounds, EveryEffectIsCleanPcmAndTheTuneLoopsWithoutClick) {
  for (const char* cue : {"001", "002", "003", "004", "005", "006", "007", "008", "009", "010",
                          "011", "012", "013", "095", "096", "098", "099"}) {
    const std::string name = std::string("data/sfx/") + cue + ".wav";
    SCOPED_TRACE(name);
    Wav w(name);
    ASSERT_FALSE(w.samples.empty());
    // 16-bit PCM (or it does not read), mono or stereo, 22 to 48 kHz, lasting 30 ms to 3 s.
    const double seconds = static_cast<double>(w.samples.size()) / w.channels / w.rate;
    EXPECT_TRUE((w.channels == 1 || w.channels == 2) && w.rate >= 22050 && w.rate <= 48000 &&
                seconds > 0.03 && seconds < 3);
    // Loud but not full scale, no DC offset, and a clear attack: a silent first sample (no
    // click) and half the peak within 40 ms.
    int peak = 0, early = 0;
    double mean = 0;
    const size_t attack = static_cast<size_t>(0.04 * w.rate * w.channels);
    for (size_t i = 0; i < w.samples.size(); i++) {
      peak = std::max(peak, std::abs(static_cast<int>(w.samples[i])));
      if (i < attack) early = peak;
      mean += w.samples[i] / static_cast<double>(w.samples.size());
    }
    EXPECT_TRUE(peak < 32767 * 0.95 && peak > 32767 * 0.3) << "peaks at " << peak;
    EXPECT_LT(std::fabs(mean), 32767 * 0.005) << "DC offset";
    EXPECT_LT(std::abs(w.samples[0]), 32767 * 0.02);
    EXPECT_GE(early, peak / 2) << "starts too softly";
  }
  int channels = 0, rate = 0;
  short* data = nullptr;
  int frames = stb_vorbis_decode_filename("data/sfx/Playful.ogg", &channels, &rate, &data);
  ASSERT_GT(frames, 0);
  std::vector<short> s(data, data + static_cast<size_t>(frames) * channels);
  std::free(data);
  EXPECT_TRUE(frames >= 30 * rate && frames <= 90 * rate) << frames / rate << " s";
  // The seam: a click is a step far bigger than its neighbours, so the step from the last
  // sample to the first is held to the largest step of the 2 ms on either side of it.
  auto at = [&](long i, int c) { return double(s[((i + frames) % frames) * channels + c]); };
  for (int c = 0; c < channels; c++) {
    double nearby = 0;
    for (long i = -88; i < 88; i++)
      if (i != 0) nearby = std::max(nearby, std::fabs(at(i, c) - at(i - 1, c)));
    EXPECT_LE(std::fabs(at(0, c) - at(-1, c)), 1.5 * nearby + 16) << "channel " << c;
  }
}

#ifdef KX_DATAGEN
// Every regular file under root, by its path relative to root, with its bytes.
std::map<std::string, std::string> Files(const std::string& root) {
  std::map<std::string, std::string> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    if (e.is_regular_file()) {
      out[std::filesystem::relative(e.path(), root).string()] = kxtest::ReadFile(e.path());
    }
  }
  return out;
}

TEST(DataGenerator, TwoRunsWriteIdenticalFilesMatchingTheCommittedSet) {
  const kxtest::TempDir a("datagen-a"), b("datagen-b");
  // Both runs at once: the machine has two cores and this is the slowest test of the suite.
  kxtest::Child first, second;
  ASSERT_TRUE(first.Start({KX_DATAGEN, a.path}) && second.Start({KX_DATAGEN, b.path}));
  ASSERT_EQ(first.Wait(), 0);
  ASSERT_EQ(second.Wait(), 0);
  const auto files = Files(a.path), committed = Files("data");
  EXPECT_TRUE(files == Files(b.path)) << "two runs of the generator differ";
  EXPECT_EQ(files.size(), committed.size()) << "data/ is not what the generator writes";
  // Also catches a generator change committed without the files it now makes.
  for (const auto& [name, bytes] : files) {
    EXPECT_TRUE(committed.count(name) && committed.at(name) == bytes) << name << " is stale";
  }
}

#endif

}  // namespace
