// Test pictures: a PNG writer independent of the codec under test (every colour type, depth, interlacing
// and filter, the data over three chunks), plus the platform's decoder as the reference.
#pragma once

#include <windows.h>

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pngsamples {

struct Spec {
    int Width = 1, Height = 1;
    uint8_t ColorType = 6, BitDepth = 8;
    bool Interlaced = false;
    // Channel samples, row-major, Channels() per pixel, each below 2^BitDepth (palette: indices).
    std::vector<uint16_t> Samples;
    std::vector<uint8_t> Palette;  // R, G, B triples
    std::vector<uint8_t> Trns;     // tRNS body as it goes into the file
};

int Channels(uint8_t colorType);

struct Chunk {
    size_t Offset;  // of the length field
    size_t Size;    // whole chunk, 12 + data
    std::string Type;
};

// The file, and where its chunks lie.
std::vector<uint8_t> Write(const Spec& s, std::vector<Chunk>* chunks = nullptr);
// Builds a chunk with its CRC.
std::vector<uint8_t> MakeChunk(const char* type, const std::vector<uint8_t>& body);
// A file with the given IHDR fields and raw (already filtered, uncompressed) image data.
std::vector<uint8_t> WriteRaw(uint32_t w, uint32_t h, uint8_t depth, uint8_t colorType, uint8_t interlace,
                              const std::vector<uint8_t>& filtered, const std::vector<uint8_t>& extraBeforeIdat = {});

// Pseudo-random samples that fit the bit depth.
std::vector<uint16_t> RandomSamples(const Spec& s, uint32_t seed);

// The platform's decoder: 32bppBGRA (not premultiplied). False when it refuses the data.
bool ReferenceDecode(const std::vector<uint8_t>& file, int& w, int& h, std::vector<uint32_t>& bgra);

}  // namespace pngsamples
