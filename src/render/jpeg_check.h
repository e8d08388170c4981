#pragma once
// A check of JPEG files before they reach stb_image.
#include <cstddef>
#include <cstdio>

// stb_image 2.27 builds a Huffman table from the 16 code counts of a DHT
// segment without checking that they add up to at most 256, and writes past
// its tables when they do not. False when the data is a JPEG with such a
// table, wherever the decoder would meet it (before the frame, or between the
// scans of a progressive file); true for everything else.
bool JpegHuffmanTablesFit(const unsigned char* data, size_t size);

// The same for a whole file, read from its start; the file is rewound.
bool JpegHuffmanTablesFit(std::FILE* file);
