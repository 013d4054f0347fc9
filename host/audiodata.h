// Decoders for the two audio file kinds the game ships: PCM WAV and Ogg Vorbis. Each reads an
// open stream (left open for the caller) and returns malloc'ed interleaved samples, or null.
#pragma once
#include <cstdio>

// Sample data of a RIFF/WAVE file with a PCM format chunk; the caller frees it.
unsigned char* LoadWAV(FILE* stream, int* length, int* channels, int* bytesPerSample, int* rate);
// The whole Ogg Vorbis stream as 16-bit interleaved samples; the caller frees it.
unsigned char* LoadOGG(FILE* stream, int* length, int* channels, int* bytesPerSample, int* rate);
