// The WAV and Ogg Vorbis readers on byte images and on a short Ogg file of our own, and the
// host's choice of reader by file ending.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "host/audiodata.h"
#include "tests/audio/support.h"
#include "tests/support/process.h"

using namespace audiotest;

namespace {

struct Decoded {
  unsigned char* data = nullptr;
  int length = -1, channels = -1, bytesPerSample = -1, rate = -1;
  ~Decoded() { free(data); }
};

void DecodeWith(unsigned char* (*reader)(FILE*, int*, int*, int*, int*), std::string bytes,
                Decoded* out) {
  FILE* stream = fmemopen(bytes.data(), bytes.size(), "rb");
  ASSERT_NE(stream, nullptr);
  out->data = reader(stream, &out->length, &out->channels, &out->bytesPerSample, &out->rate);
  fclose(stream);
}

bool WavLoads(const std::string& bytes) {
  Decoded d;
  DecodeWith(LoadWAV, bytes, &d);
  return d.data != nullptr;
}

std::string OggFile() { return kxtest::ReadFile("tests/data/tone_stereo.ogg"); }

}  // namespace

TEST(WavReader, StereoWithExtendedFormatAndForeignChunkBeforeData) {
  std::string pcm;
  for (int i = 0; i < 100; ++i) pcm += Le16(i) + Le16(-i);
  std::string bytes = Riff(FmtChunk(1, 2, 22050, 16, Le16(0)) + Chunk("LIST", "INFOabcd") +
                           Chunk("data", pcm + "xy"));  // a stray half frame
  Decoded d;
  DecodeWith(LoadWAV, bytes, &d);
  ASSERT_NE(d.data, nullptr);
  EXPECT_EQ(d.length, 100);
  EXPECT_EQ(d.channels, 2);
  EXPECT_EQ(d.bytesPerSample, 2);
  EXPECT_EQ(d.rate, 22050);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(d.data), pcm.size()), pcm);
}

TEST(WavReader, OddSizedChunkIsFollowedByItsPadByte) {
  std::string bytes = Riff(FmtChunk(1, 1, 8000, 8) + Chunk("LIST", "odd") + std::string(1, '\0') +
                           Chunk("data", "abcd"));
  Decoded d;
  DecodeWith(LoadWAV, bytes, &d);
  ASSERT_NE(d.data, nullptr);
  EXPECT_EQ(d.length, 4);
  EXPECT_EQ(d.bytesPerSample, 1);
}

TEST(WavReader, RejectsUnsupportedOrBrokenFormats) {
  std::string data = Chunk("data", std::string(64, '\1'));
  EXPECT_TRUE(WavLoads(Riff(FmtChunk(1, 1, 8000, 16) + data)));
  EXPECT_FALSE(WavLoads(Riff(FmtChunk(3, 1, 8000, 32) + data)));  // float samples
  EXPECT_FALSE(WavLoads(Riff(FmtChunk(1, 0, 8000, 16) + data)));
  EXPECT_FALSE(WavLoads(Riff(FmtChunk(1, 1, 8000, 4) + data)));  // under a byte per sample
  EXPECT_FALSE(WavLoads(Riff(FmtChunk(1, 1, 0, 16) + data)));
  EXPECT_FALSE(WavLoads(Riff(FmtChunk(1, 1, INT_MIN, 16) + data)));  // rate 2^31 in the file
  std::string shortFmt = Chunk("fmt ", Le16(1) + Le16(1) + Le32(8000) + Le32(16000) + Le16(2));
  EXPECT_FALSE(WavLoads(Riff(shortFmt + data)));
  EXPECT_FALSE(WavLoads(Riff(FmtChunk(1, 1, 8000, 16))));  // no data chunk
  EXPECT_FALSE(WavLoads(""));
}

TEST(WavReader, RejectsWrongTags) {
  std::string good = Riff(FmtChunk(1, 1, 8000, 16) + Chunk("data", "abcd"));
  ASSERT_TRUE(WavLoads(good));
  for (size_t at : {0u, 8u, 12u}) {
    std::string bad = good;
    bad[at + 1] = '#';
    EXPECT_FALSE(WavLoads(bad)) << "tag at " << at;
  }
}

TEST(WavReader, DataChunkLongerThanTheFileFails) {
  std::string head = Riff(FmtChunk(1, 2, 44100, 16));
  EXPECT_FALSE(WavLoads(head + "data" + Le32(1000) + std::string(999, 'x')));
  // A size no file here could hold fails at once, without asking for that much memory.
  EXPECT_FALSE(WavLoads(head + "data" + Le32(0xFFFFFFF0u) + std::string(16, 'x')));
  // A later good data chunk is never reached: the short one ran to the end of the file.
  EXPECT_FALSE(WavLoads(head + "data" + Le32(40) + std::string(8, 'x') + Chunk("data", "abcd")));
}

TEST(OggReader, DecodesOurToneFileWhole) {
  Decoded d;
  DecodeWith(LoadOGG, OggFile(), &d);
  ASSERT_NE(d.data, nullptr);
  EXPECT_EQ(d.channels, 2);
  EXPECT_EQ(d.rate, 22050);
  EXPECT_EQ(d.bytesPerSample, 2);
  EXPECT_EQ(d.length, 5513);
  // The channels come out interleaved in order: 440 Hz on the left, 660 Hz on the right.
  const short* samples = reinterpret_cast<const short*>(d.data);
  EXPECT_NEAR(Frequency(Channel(samples, d.length, 2, 0), d.rate), 440, 5);
  EXPECT_NEAR(Frequency(Channel(samples, d.length, 2, 1), d.rate), 660, 5);
}

TEST(OggReader, TruncatedOrForeignStreamsGiveNothing) {
  std::string ogg = OggFile();
  ASSERT_GT(ogg.size(), 1000u);
  // Cut in the headers, in the codebooks, and inside the one page of audio.
  for (size_t keep : {0ul, 40ul, 200ul, 1000ul, ogg.size() - 300}) {
    Decoded d;
    DecodeWith(LoadOGG, ogg.substr(0, keep), &d);
    EXPECT_EQ(d.data, nullptr) << keep << " bytes";
  }
  Decoded wav;
  DecodeWith(LoadOGG, ToneWav(440, 0.1), &wav);
  EXPECT_EQ(wav.data, nullptr);
}

TEST(OggReader, CommentLengthRunningPastItsPacketGivesNothing) {
  std::string ogg = OggFile();
  size_t vendor = ogg.find("\x03vorbis");
  ASSERT_NE(vendor, std::string::npos);
  ogg.replace(vendor + 7, 4, Le32(0xFFFFFFF0u));
  Decoded d;
  DecodeWith(LoadOGG, ogg, &d);
  EXPECT_EQ(d.data, nullptr);
}

TEST(OggReader, SampleRateBeyondAnIntGivesNothing) {
  std::string ogg = OggFile();
  size_t id = ogg.find("\x01vorbis");
  ASSERT_NE(id, std::string::npos);
  ogg.replace(id + 12, 4, Le32(0x80000000u));  // after type, "vorbis", version and channels
  Decoded d;
  DecodeWith(LoadOGG, ogg, &d);
  EXPECT_EQ(d.data, nullptr) << "rate " << d.rate;
}

TEST(HostAudioData, PicksTheReaderByTheEndingInAnyCase) {
  std::string dir = kxtest::MakeTempDir("kxaudiodata");
  ASSERT_TRUE(kxtest::WriteFile(dir + "/TONE.WAV", ToneWav(440, 0.1, 8000)));
  ASSERT_TRUE(kxtest::WriteFile(dir + "/tone.mp3", ToneWav(440, 0.1, 8000)));
  ASSERT_TRUE(kxtest::WriteFile(dir + "/Tone.Ogg", OggFile()));
  KxGlfwGame host;
  int length = 0, channels = 0, bytes = 0, rate = 0;
  auto load = [&](const char* name) {
    return host.LoadAudioData(String::FromUtf8(dir + name), &length, &channels, &bytes, &rate);
  };
  int external = gc_ext_new_bytes.load();
  unsigned char* data = load("/TONE.WAV");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(length, 800);
  EXPECT_EQ(gc_ext_new_bytes.load() - external, 1600);
  free(data);
  data = load("/Tone.Ogg");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(channels, 2);
  free(data);
  EXPECT_EQ(load("/tone.mp3"), nullptr);
  EXPECT_EQ(load("/none.wav"), nullptr);
  kxtest::RunProcess({"rm", "-rf", dir});
}
