// Writes the short Ogg Vorbis file the audio tests decode: 5513 stereo frames at 22050 Hz, a
// 440 Hz tone on the left and a 660 Hz tone on the right, so a test can tell the channels apart.
// Usage: make_test_ogg OUT.ogg
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>

namespace {

const int kRate = 22050;
const int kFrames = 5513;
const int kChannels = 2;
const double kPi = 3.14159265358979323846;

bool WritePage(FILE* out, const ogg_page& page) {
  return fwrite(page.header, 1, page.header_len, out) == static_cast<size_t>(page.header_len) &&
         fwrite(page.body, 1, page.body_len, out) == static_cast<size_t>(page.body_len);
}

// Moves every finished packet of the encoder into pages and out to the file.
bool Drain(FILE* out, vorbis_dsp_state* dsp, vorbis_block* block, ogg_stream_state* stream) {
  ogg_packet packet;
  ogg_page page;
  bool ok = true;
  while (vorbis_analysis_blockout(dsp, block) == 1) {
    vorbis_analysis(block, nullptr);
    vorbis_bitrate_addblock(block);
    while (vorbis_bitrate_flushpacket(dsp, &packet)) {
      ogg_stream_packetin(stream, &packet);
      while (ogg_stream_pageout(stream, &page)) ok = WritePage(out, page) && ok;
    }
  }
  while (ogg_stream_flush(stream, &page)) ok = WritePage(out, page) && ok;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s OUT.ogg\n", argv[0]);
    return 2;
  }
  FILE* out = fopen(argv[1], "wb");
  if (!out) return 1;

  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, kChannels, kRate, 0.1f) != 0) return 1;
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 20261206);

  ogg_packet header, headerComment, headerCode;
  vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &headerComment);
  ogg_stream_packetin(&stream, &headerCode);
  ogg_page page;
  bool ok = true;
  while (ogg_stream_flush(&stream, &page)) ok = WritePage(out, page) && ok;

  float** buffer = vorbis_analysis_buffer(&dsp, kFrames);
  for (int i = 0; i < kFrames; ++i) {
    buffer[0][i] = static_cast<float>(0.5 * std::sin(2 * kPi * 440.0 * i / kRate));
    buffer[1][i] = static_cast<float>(0.5 * std::sin(2 * kPi * 660.0 * i / kRate));
  }
  vorbis_analysis_wrote(&dsp, kFrames);
  vorbis_analysis_wrote(&dsp, 0);
  ok = Drain(out, &dsp, &block, &stream) && ok;

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  ok = fclose(out) == 0 && ok;
  return ok ? 0 : 1;
}
