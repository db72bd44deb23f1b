#include "resources/generator/encoders.h"

#include <jpeglib.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>

namespace ampliro::art {

namespace {

void Put16(Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutBe32(Bytes& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
void PutTag(Bytes& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

void BmpHeaders(Bytes& out, int width, int height, int bits, uint32_t paletteEntries) {
    uint32_t stride = ((static_cast<uint32_t>(width) * bits / 8) + 3) & ~3u;
    uint32_t pixelOffset = 14 + 40 + paletteEntries * 4;
    uint32_t imageSize = stride * static_cast<uint32_t>(height);
    out.push_back('B');
    out.push_back('M');
    Put32(out, pixelOffset + imageSize);
    Put32(out, 0);
    Put32(out, pixelOffset);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bits));
    Put32(out, 0);  // uncompressed
    Put32(out, imageSize);
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, paletteEntries);
    Put32(out, 0);
}

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PngChunk(Bytes& out, const char* tag, const Bytes& data) {
    PutBe32(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    PutTag(out, tag);
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, Crc32(out.data() + start, out.size() - start));
}

}  // namespace

Bytes EncodeBmp24(const Canvas& canvas) {
    Bytes out;
    int w = canvas.Width(), h = canvas.Height();
    BmpHeaders(out, w, h, 24, 0);
    Bytes rgb = canvas.Rgb8();
    size_t pad = (4 - (static_cast<size_t>(w) * 3) % 4) % 4;
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
        }
        out.insert(out.end(), pad, 0);
    }
    return out;
}

Bytes EncodeBmp8(int width, int height, const std::vector<uint8_t>& indices,
                 const std::vector<std::array<uint8_t, 3>>& palette) {
    Bytes out;
    BmpHeaders(out, width, height, 8, static_cast<uint32_t>(palette.size()));
    for (const auto& entry : palette) {
        out.push_back(entry[2]);
        out.push_back(entry[1]);
        out.push_back(entry[0]);
        out.push_back(0);
    }
    size_t pad = (4 - static_cast<size_t>(width) % 4) % 4;
    for (int y = height - 1; y >= 0; --y) {
        const uint8_t* row = &indices[static_cast<size_t>(y) * width];
        out.insert(out.end(), row, row + width);
        out.insert(out.end(), pad, 0);
    }
    return out;
}

Bytes EncodeJpeg(const Canvas& canvas, int quality) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(canvas.Width());
    cinfo.image_height = static_cast<JDIMENSION>(canvas.Height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    for (int c = 0; c < 3; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    cinfo.optimize_coding = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    Bytes rgb = canvas.Rgb8();
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = &rgb[static_cast<size_t>(cinfo.next_scanline) * canvas.Width() * 3];
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

Bytes EncodeWave(const std::vector<int16_t>& samples, uint32_t rate) {
    Bytes out;
    uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    PutTag(out, "RIFF");
    Put32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, 1);  // mono
    Put32(out, rate);
    Put32(out, rate * 2);
    Put16(out, 2);
    Put16(out, 16);
    PutTag(out, "data");
    Put32(out, dataBytes);
    for (int16_t s : samples) Put16(out, static_cast<uint16_t>(s));
    return out;
}

Bytes EncodePng(const Canvas& canvas) {
    int w = canvas.Width(), h = canvas.Height();
    Bytes rgb = canvas.Rgb8();
    Bytes raw;
    raw.reserve(static_cast<size_t>(h) * (w * 3 + 1));
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);  // filter: none
        raw.insert(raw.end(), rgb.begin() + static_cast<long>(y) * w * 3,
                   rgb.begin() + static_cast<long>(y + 1) * w * 3);
    }
    uLongf packed = compressBound(static_cast<uLong>(raw.size()));
    Bytes z(packed);
    compress2(z.data(), &packed, raw.data(), static_cast<uLong>(raw.size()), 6);
    z.resize(packed);

    Bytes out{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header;
    PutBe32(header, static_cast<uint32_t>(w));
    PutBe32(header, static_cast<uint32_t>(h));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
    PngChunk(out, "IHDR", header);
    PngChunk(out, "IDAT", z);
    PngChunk(out, "IEND", {});
    return out;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace ampliro::art
