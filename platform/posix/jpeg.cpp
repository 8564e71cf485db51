#include "platform/jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <jpeglib.h>

namespace platform {
namespace {

// A picture file larger than this is not something the menu ever shows.
constexpr std::streamoff kMaxFileBytes = 256LL * 1024 * 1024;
// What libjpeg may use for its own buffers (whole-image coefficient arrays of
// progressive files); past it the decoder fails instead of swapping.
constexpr long kMaxDecoderMemory = 256L * 1024 * 1024;
// Progressive files may repeat scans endlessly; real ones have a dozen or so.
constexpr int kMaxScans = 500;

// libjpeg reports errors through a callback that must not return; we jump back to
// the decoding call with the message kept, and print nothing.
struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void Abort(j_common_ptr c, const char* why) {
    auto* e = reinterpret_cast<ErrorManager*>(c->err);
    std::snprintf(e->message, sizeof e->message, "%s", why);
    std::longjmp(e->jump, 1);
}

[[noreturn]] void OnError(j_common_ptr c) {
    auto* e = reinterpret_cast<ErrorManager*>(c->err);
    c->err->format_message(c, e->message);
    std::longjmp(e->jump, 1);
}

// Level -1 is a warning about damaged data (a premature end, a corrupt segment);
// libjpeg would go on with grey filler, but a damaged picture is a failure here.
void OnMessage(j_common_ptr c, int level) {
    if (level < 0) OnError(c);
}

void OnOutput(j_common_ptr) {}

void OnProgress(j_common_ptr c) {
    if (c->is_decompressor && reinterpret_cast<j_decompress_ptr>(c)->input_scan_number > kMaxScans)
        Abort(c, "too many scans");
}

void InstallErrorManager(ErrorManager& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    err.pub.output_message = OnOutput;
    err.message[0] = '\0';
}

// Kept apart from DecodeJpeg so that nothing with a destructor lives in the frame
// that setjmp returns to twice.
bool DecodeInto(const uint8_t* data, size_t size, Image* out, ErrorManager* err) {
    jpeg_decompress_struct cinfo{};  // zeroed, so destroying it before creation is harmless
    jpeg_progress_mgr progress{};
    progress.progress_monitor = OnProgress;
    InstallErrorManager(*err);
    cinfo.err = &err->pub;
    if (setjmp(err->jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) Abort(reinterpret_cast<j_common_ptr>(&cinfo), "no picture in the data");
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK)
        Abort(reinterpret_cast<j_common_ptr>(&cinfo), "CMYK pictures are not supported");
    const int64_t w = cinfo.image_width, h = cinfo.image_height;
    if (w > Image::kMaxSide || h > Image::kMaxSide || w * h > Image::kMaxPixels)
        Abort(reinterpret_cast<j_common_ptr>(&cinfo), "picture too large");
    // Even a flat grey picture costs a few bits per 8 x 8 block; a header that
    // claims far more pixels than the data could carry is damaged.
    if (w * h > std::max<int64_t>(int64_t{4} << 20, int64_t(size) * 2048))
        Abort(reinterpret_cast<j_common_ptr>(&cinfo), "picture too large for its data");
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3 || !out->CreateUncleared(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height)))
        Abort(reinterpret_cast<j_common_ptr>(&cinfo), "cannot create the picture");
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out->Row(static_cast<int>(cinfo.output_scanline));
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) Abort(reinterpret_cast<j_common_ptr>(&cinfo), "data ends early");
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool EncodeInto(const Image& img, int quality, unsigned char** buf, unsigned long* len, ErrorManager* err) {
    jpeg_compress_struct cinfo{};
    InstallErrorManager(*err);
    cinfo.err = &err->pub;
    if (setjmp(err->jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buf, len);
    cinfo.image_width = static_cast<JDIMENSION>(img.Width());
    cinfo.image_height = static_cast<JDIMENSION>(img.Height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(img.Row(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, Image& img, std::string* error) {
    if (!data || size == 0) {
        if (error) *error = "no data";
        return false;
    }
    Image out;
    ErrorManager err;
    if (!DecodeInto(data, size, &out, &err)) {
        if (error) *error = err.message;
        return false;
    }
    img = std::move(out);
    return true;
}

bool LoadJpegFile(const std::string& hostPath, Image& img, std::string* error) {
    std::ifstream f(hostPath, std::ios::binary);
    if (!f) {
        if (error) *error = "cannot open " + hostPath;
        return false;
    }
    f.seekg(0, std::ios::end);
    const std::streamoff size = f.tellg();
    if (size < 0 || size > kMaxFileBytes) {
        if (error) *error = "unreasonable file size: " + hostPath;
        return false;
    }
    f.seekg(0);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!f.read(reinterpret_cast<char*>(bytes.data()), size)) {
        if (error) *error = "cannot read " + hostPath;
        return false;
    }
    return DecodeJpeg(bytes.data(), bytes.size(), img, error);
}

std::vector<uint8_t> EncodeJpeg(const Image& img, int quality) {
    if (img.Empty()) return {};
    unsigned char* buf = nullptr;
    unsigned long len = 0;
    ErrorManager err;
    const bool ok = EncodeInto(img, std::clamp(quality, 1, 100), &buf, &len, &err);
    std::vector<uint8_t> out;
    if (ok && buf) out.assign(buf, buf + len);
    std::free(buf);
    return out;
}

}  // namespace platform
