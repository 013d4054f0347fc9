// The WAV and Ogg Vorbis readers on byte images and on a short Ogg file of our own, and the
// host's choice of reader by file ending.
#include <gtest/gtest.h>

#include <climits>

#include "host/audiodata.h"
#include "tests/audio/support.h"

using namespace audiotest;

namespace {

typedef unsigned char* (*Reader)(FILE*, int*, int*, int*, int*);
typedef std::vector<std::pair<std::string, std::string>> Cases;  // name, bytes

// Length, channels, bytes per sample and rate as the reader gave them, then the bytes of the
// first frames; empty when it gave nothing.
std::vector<int> Decode(Reader reader, std::string bytes, int dataBytes = 0) {
  FILE* stream = fmemopen(bytes.data(), bytes.size(), "rb");
  std::vector<int> got(4, -1);
  unsigned char* data = reader(stream, &got[0], &got[1], &got[2], &got[3]);
  fclose(stream);
  if (!data) return {};
  got.insert(got.end(), data, data + dataBytes);
  free(data);
  return got;
}

void ExpectNothing(Reader reader, const Cases& cases) {
  for (const auto& c : cases) EXPECT_EQ(Decode(reader, c.second), std::vector<int>()) << c.first;
}

const std::string kOgg = kxtest::ReadFile("tests/data/tone_stereo.ogg");

TEST(WavReader, ReadsPastForeignAndPaddedChunksToWholeFramesAndRefusesBrokenFiles) {
  std::string pcm;
  for (int i = 0; i < 100; ++i) pcm += Le16(i) + Le16(-i);
  // An extended format chunk, then a foreign chunk of odd size followed by its pad byte.
  std::string bytes = Riff(FmtChunk(1, 2, 22050, 16, Le16(0)) + Chunk("LIST", "odd") + '\0' +
                           Chunk("data", pcm + "xy"));  // a stray half frame
  std::vector<int> want = {100, 2, 2, 22050};
  for (char byte : pcm) want.push_back(static_cast<unsigned char>(byte));
  EXPECT_EQ(Decode(LoadWAV, bytes, static_cast<int>(pcm.size())), want);
  // Unsupported, broken or oversized files give nothing.
  std::string data = Chunk("data", std::string(64, '\1'));
  std::string good = Riff(FmtChunk(1, 1, 8000, 8) + data);
  std::string head = Riff(FmtChunk(1, 2, 44100, 16));
  EXPECT_EQ(Decode(LoadWAV, good), (std::vector<int>{64, 1, 1, 8000}));
  ExpectNothing(LoadWAV, {
      {"float samples", Riff(FmtChunk(3, 1, 8000, 32) + data)},
      {"no channels", Riff(FmtChunk(1, 0, 8000, 16) + data)},
      {"under a byte per sample", Riff(FmtChunk(1, 1, 8000, 4) + data)},
      {"rate 0", Riff(FmtChunk(1, 1, 0, 16) + data)},
      {"rate 2^31", Riff(FmtChunk(1, 1, INT_MIN, 16) + data)},
      {"short fmt",
       Riff(Chunk("fmt ", Le16(1) + Le16(1) + Le32(8000) + Le32(16000) + Le16(2)) + data)},
      {"no data chunk", Riff(FmtChunk(1, 1, 8000, 16))},
      {"empty", ""},
      {"RIFF tag", "R#FF" + good.substr(4)},
      {"WAVE tag", good.substr(0, 8) + "W#VE" + good.substr(12)},
      {"fmt tag", good.substr(0, 12) + "f#t " + good.substr(16)},
      {"data past the end", head + "data" + Le32(1000) + std::string(999, 'x')},
      // A size no file here could hold fails at once, without asking for that much memory.
      {"data of 4 GB", head + "data" + Le32(0xFFFFFFF0u) + std::string(16, 'x')},
      // A later good data chunk is never reached: the short one ran to the end of the file.
      {"data past a good one", head + "data" + Le32(40) + "12345678" + Chunk("data", "ab")},
  });
}

TEST(OggReader, DecodesOurToneFileWholeWhateverFollowsItsEndAndRefusesCutOrLyingOnes) {
  ASSERT_GT(kOgg.size(), 1000u);
  // As made, padded by a tool, with a tag appended, and followed by a second stream.
  for (const std::string& extra : {std::string(), std::string(4096, '\0'),
                                   "TAG" + std::string(125, 'x'), kOgg}) {
    EXPECT_EQ(Decode(LoadOGG, kOgg + extra), (std::vector<int>{5513, 2, 2, 22050})) << extra.size();
  }
  Cases cases = {{"a WAV file", SilentWav(800, 8000)}};
  // Cut in the headers, in the codebooks, and inside the one page of audio.
  for (size_t keep : {0ul, 40ul, 200ul, 1000ul, kOgg.size() - 300}) {
    cases.push_back({std::to_string(keep) + " bytes", kOgg.substr(0, keep)});
  }
  // The end of a later stream does not make up for the cut.
  cases.push_back({"cut and followed by a whole stream", kOgg.substr(0, 1000) + kOgg});
  // A comment length running past its packet; a sample rate beyond an int (after type,
  // "vorbis", version and channels).
  for (const auto& lie : {std::make_pair("\x03vorbis", 7u), std::make_pair("\x01vorbis", 12u)}) {
    std::string lying = kOgg;
    const uint32_t value = lie.second == 7 ? 0xFFFFFFF0u : 0x80000000u;
    lying.replace(kOgg.find(lie.first) + lie.second, 4, Le32(value));
    cases.push_back({lie.first + 1, lying});
  }
  ExpectNothing(LoadOGG, cases);
}

// The reader goes by the ending in any case; what it loads counts towards the collector's
// cycle: 800 mono frames of 2 bytes, and 5513 stereo ones (0: refused).
TEST(HostAudioData, PicksTheReaderByTheEndingInAnyCase) {
  const kxtest::TempDir dir("kxaudiodata");
  const std::pair<std::string, int> files[] = {{"/TONE.WAV", 1600}, {"/Tone.Ogg", 22052},
                                               {"/tone.mp3", 0}};
  KxGlfwGame host;
  for (const auto& f : files) {
    const bool ogg = f.first == "/Tone.Ogg";
    ASSERT_TRUE(kxtest::WriteFile(dir.path + f.first, ogg ? kOgg : SilentWav(800, 8000)));
    int length = 0, channels = 0, bytes = 0, rate = 0, external = gc_ext_new_bytes.load();
    unsigned char* data = host.LoadAudioData(String::FromUtf8(dir.path + f.first), &length,
                                             &channels, &bytes, &rate);
    EXPECT_EQ(data != nullptr, f.second != 0) << f.first;
    EXPECT_EQ(gc_ext_new_bytes.load() - external, f.second) << f.first;
    free(data);
  }
}

}  // namespace
