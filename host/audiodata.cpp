// Reading audio files for the audio device: the host's LoadAudioData picks the decoder by the
// file's ending; the WAV and Ogg Vorbis decoders turn an open stream into interleaved samples.
#include "host/audiodata.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/glfwgame.h"

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

namespace {

bool ReadBytes(FILE* stream, void* into, size_t count) {
  return fread(into, 1, count, stream) == count;
}

bool ReadU16(FILE* stream, uint32_t* value) {
  unsigned char b[2];
  if (!ReadBytes(stream, b, 2)) return false;
  *value = b[0] | (b[1] << 8);
  return true;
}

uint32_t Le32(const unsigned char* b) {
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

bool ReadU32(FILE* stream, uint32_t* value) {
  unsigned char b[4];
  if (!ReadBytes(stream, b, 4)) return false;
  *value = Le32(b);
  return true;
}

bool ReadTag(FILE* stream, const char* expected) {
  char tag[4];
  return ReadBytes(stream, tag, 4) && std::memcmp(tag, expected, 4) == 0;
}

bool Skip(FILE* stream, uint32_t count) { return fseek(stream, count, SEEK_CUR) == 0; }

// Bytes between the read position and the end, or -1 when the stream cannot tell.
long RemainingBytes(FILE* stream) {
  long here = ftell(stream);
  if (here < 0 || fseek(stream, 0, SEEK_END) != 0) return -1;
  long end = ftell(stream);
  if (fseek(stream, here, SEEK_SET) != 0 || end < here) return -1;
  return end - here;
}

// Whether a sample rate read from a file can be handed on as the int the device takes; a
// larger one would arrive negative.
bool RateFits(uint32_t rate) { return rate != 0 && rate <= INT_MAX; }

struct WavFormat {
  uint32_t channels;
  uint32_t rate;
  uint32_t bytesPerSample;
};

// The "fmt " chunk after the RIFF/WAVE header: PCM only, at least the 16 standard bytes.
bool ReadWavFormat(FILE* stream, WavFormat* format) {
  uint32_t size, code, ignored, bits;
  if (!ReadTag(stream, "RIFF") || !Skip(stream, 4) || !ReadTag(stream, "WAVE") ||
      !ReadTag(stream, "fmt ") || !ReadU32(stream, &size) || size < 16) {
    return false;
  }
  if (!ReadU16(stream, &code) || code != 1 || !ReadU16(stream, &format->channels) ||
      !ReadU32(stream, &format->rate) || !ReadU32(stream, &ignored) ||
      !ReadU16(stream, &ignored) || !ReadU16(stream, &bits)) {
    return false;
  }
  format->bytesPerSample = bits / 8;
  return format->channels != 0 && format->bytesPerSample != 0 && RateFits(format->rate) &&
         Skip(stream, size - 16);
}

// The next `size` bytes in a malloc'ed block, or null (the stream then at its end) when it holds
// fewer: the claim is checked first, so a corrupt size never turns into a huge allocation.
unsigned char* ReadBlock(FILE* stream, uint32_t size) {
  long remaining = RemainingBytes(stream);
  if (remaining < 0 || size > static_cast<unsigned long>(remaining)) {
    fseek(stream, 0, SEEK_END);
    return nullptr;
  }
  unsigned char* data = static_cast<unsigned char*>(malloc(size ? size : 1));
  if (data && !ReadBytes(stream, data, size)) {
    free(data);
    return nullptr;
  }
  return data;
}

// The length of the Ogg pages from the read position through the first end-of-stream page, or
// -1 when they break off before such a page has ended its last packet. The decoder reads past
// the end of a file cut inside its audio as zeros and would hand back noise; this turns any cut
// into a failure instead. Whatever follows the end of the stream (padding, or a tag a tool
// appended) is no part of it.
long OggLength(FILE* stream) {
  long start = ftell(stream);
  long size = RemainingBytes(stream);
  long length = -1;
  unsigned char page[27 + 255];
  for (long at = 0; start >= 0 && size >= 0 && length < 0 && at < size;) {
    if (fseek(stream, start + at, SEEK_SET) != 0 || !ReadBytes(stream, page, 27) ||
        std::memcmp(page, "OggS", 4) != 0 || !ReadBytes(stream, page + 27, page[26])) {
      break;
    }
    const int segments = page[26];
    at += 27 + segments;
    for (int i = 0; i < segments; ++i) at += page[27 + i];
    // A last segment of 255 bytes would continue its packet on a page that never comes.
    bool ends = (page[5] & 4) != 0 && (segments == 0 || page[27 + segments - 1] < 255);
    if (ends && at <= size) length = at;
  }
  return fseek(stream, start, SEEK_SET) == 0 ? length : -1;
}

// The stream's second packet (the comment header), gathered across pages; empty when the pages
// end first.
std::vector<unsigned char> SecondPacket(FILE* stream) {
  std::vector<unsigned char> packet;
  int ended = 0;
  unsigned char page[27 + 255];
  while (ended < 2 && ReadBytes(stream, page, 27) && std::memcmp(page, "OggS", 4) == 0 &&
         ReadBytes(stream, page + 27, page[26])) {
    for (int i = 0; i < page[26] && ended < 2; ++i) {
      size_t at = packet.size();
      packet.resize(at + page[27 + i]);
      if (!ReadBytes(stream, packet.data() + at, page[27 + i])) return {};
      // A segment shorter than 255 bytes ends its packet.
      if (page[27 + i] < 255 && ++ended == 1) packet.clear();
    }
  }
  if (ended < 2) packet.clear();
  return packet;
}

// Whether every length in the comment header stays inside its packet. The decoder allocates
// what they claim before reading, and when such an allocation fails its clean-up frees
// pointers it never set.
bool OggCommentsFit(FILE* stream) {
  long start = ftell(stream);
  std::vector<unsigned char> packet = SecondPacket(stream);
  if (start < 0 || fseek(stream, start, SEEK_SET) != 0) return false;
  size_t at = 7;  // packet type and "vorbis"
  auto length = [&](uint32_t* value) {
    if (packet.size() < at + 4) return false;
    *value = Le32(packet.data() + at);
    at += 4;
    return *value <= packet.size() - at;
  };
  uint32_t vendor = 0, count = 0, comment = 0;
  if (!length(&vendor)) return false;
  at += vendor;
  if (!length(&count) || count > (packet.size() - at) / 4) return false;
  for (uint32_t i = 0; i < count; ++i) {
    if (!length(&comment)) return false;
    at += comment;
  }
  return true;
}

// Every frame as interleaved 16-bit samples, `count` values in all; null when memory runs
// out or the stream, though its headers parse, holds no audio.
short* DecodeFrames(stb_vorbis* vorbis, int channels, int* count) {
  const int room = channels * 4096;
  int capacity = room;
  *count = 0;
  short* data = static_cast<short*>(malloc(capacity * sizeof(short)));
  while (data) {
    int frames =
        stb_vorbis_get_frame_short_interleaved(vorbis, channels, data + *count, capacity - *count);
    if (frames == 0) break;
    *count += frames * channels;
    if (capacity - *count < room) {
      // A stream too long for the int counts the device takes fails as if memory ran out.
      capacity = capacity <= INT_MAX / 2 ? capacity * 2 : 0;
      short* grown =
          capacity ? static_cast<short*>(realloc(data, capacity * sizeof(short))) : nullptr;
      if (!grown) free(data);
      data = grown;
    }
  }
  if (data && *count > 0) {
    short* shrunk = static_cast<short*>(realloc(data, *count * sizeof(short)));
    return shrunk ? shrunk : data;
  }
  free(data);
  return nullptr;
}

}  // namespace

unsigned char* LoadWAV(FILE* stream, int* length, int* channels, int* bytesPerSample, int* rate) {
  WavFormat format;
  if (!ReadWavFormat(stream, &format)) return nullptr;
  for (;;) {
    char tag[4];
    uint32_t size;
    if (!ReadBytes(stream, tag, 4) || !ReadU32(stream, &size)) return nullptr;
    if (std::memcmp(tag, "data", 4) == 0) {
      unsigned char* data = ReadBlock(stream, size);
      if (data) {
        *length = static_cast<int>(size / (format.channels * format.bytesPerSample));
        *channels = static_cast<int>(format.channels);
        *bytesPerSample = static_cast<int>(format.bytesPerSample);
        *rate = static_cast<int>(format.rate);
        return data;
      }
    } else if (!Skip(stream, size + (size & 1))) {
      // RIFF chunks are padded to an even size.
      return nullptr;
    }
  }
}

unsigned char* LoadOGG(FILE* stream, int* length, int* channels, int* bytesPerSample, int* rate) {
  long size = OggLength(stream);
  if (size <= 0 || size > INT_MAX || !OggCommentsFit(stream)) return nullptr;
  // The decoder is given exactly the stream's bytes, so nothing after its end can reach it.
  unsigned char* ogg = ReadBlock(stream, static_cast<uint32_t>(size));
  int error = 0;
  stb_vorbis* vorbis =
      ogg ? stb_vorbis_open_memory(ogg, static_cast<int>(size), &error, nullptr) : nullptr;
  stb_vorbis_info info = stb_vorbis_info();
  int count = 0;
  short* data = nullptr;
  if (vorbis) {
    info = stb_vorbis_get_info(vorbis);
    if (RateFits(info.sample_rate)) data = DecodeFrames(vorbis, info.channels, &count);
    stb_vorbis_close(vorbis);
  }
  free(ogg);
  if (!data) return nullptr;
  *length = count / info.channels;
  *channels = info.channels;
  *bytesPerSample = 2;
  *rate = static_cast<int>(info.sample_rate);
  return reinterpret_cast<unsigned char*>(data);
}

unsigned char* KxGlfwGame::LoadAudioData(String path, int* length, int* channels,
                                         int* bytesPerSample, int* rate) {
  FILE* stream = OpenFile(path, "rb");
  if (!stream) return nullptr;
  String name = path.ToLower();
  unsigned char* data = nullptr;
  if (name.EndsWith(".wav")) {
    data = LoadWAV(stream, length, channels, bytesPerSample, rate);
  } else if (name.EndsWith(".ogg")) {
    data = LoadOGG(stream, length, channels, bytesPerSample, rate);
  }
  fclose(stream);
  if (data) {
    long long bytes = static_cast<long long>(*length) * *channels * *bytesPerSample;
    gc_ext_malloced(static_cast<int>(std::min<long long>(bytes, INT_MAX)));
  }
  return data;
}
