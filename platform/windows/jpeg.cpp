// JPEG through the system's Windows Imaging Component. WIC decodes and encodes;
// the checks that make a damaged or hostile file a clean failure are ours, done on
// the file's markers before WIC sees it: WIC, like the library beneath many
// decoders, fills a cut-off picture with grey and calls that success.
#include <algorithm>
#include <climits>

#include "platform/jpeg.h"
#include "platform/paths.h"
#include "platform/windows/util.h"

#include <wincodec.h>

namespace platform {
namespace {

// A picture file larger than this is not something the menu ever shows.
constexpr uint64_t kMaxFileBytes = 256ULL * 1024 * 1024;
// Progressive files may repeat scans endlessly; real ones have a dozen or so.
constexpr int kMaxScans = 500;

// Releases a COM interface when it goes out of scope.
template <class T>
class Com {
public:
    Com() = default;
    ~Com() {
        if (p_) p_->Release();
    }
    Com(Com&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** out() { return &p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

struct Frame {
    int width = 0, height = 0, components = 0;
};

bool Fail(std::string* error, const char* why) {
    if (error) *error = why;
    return false;
}

bool IsFrameMarker(uint8_t m) { return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC; }

// Walks the file from its start marker to its end marker: every segment within the
// data, one frame before the first scan, every scan's coded data followed by a
// marker. Linear in the size, whatever the bytes are.
bool CheckStructure(const uint8_t* d, size_t n, Frame& frame, std::string* error) {
    if (n < 4 || d[0] != 0xFF || d[1] != 0xD8) return Fail(error, "no picture in the data");
    size_t pos = 2;
    bool haveFrame = false;
    int scans = 0;
    for (;;) {
        if (pos >= n) return Fail(error, "data ends early");
        if (d[pos] != 0xFF) return Fail(error, "damaged data between segments");
        while (pos < n && d[pos] == 0xFF) ++pos;  // fill bytes
        if (pos >= n) return Fail(error, "data ends early");
        const uint8_t m = d[pos++];
        if (m == 0xD9) {
            if (scans == 0) return Fail(error, "no picture data");
            return true;
        }
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) continue;  // markers without a length
        if (m == 0x00 || m == 0xD8) return Fail(error, "damaged data between segments");
        if (n - pos < 2) return Fail(error, "data ends early");
        const size_t len = (size_t{d[pos]} << 8) | d[pos + 1];
        if (len < 2) return Fail(error, "damaged segment");
        if (n - pos < len) return Fail(error, "data ends early");
        if (IsFrameMarker(m)) {
            if (haveFrame) return Fail(error, "more than one frame");
            if (len < 8) return Fail(error, "damaged frame header");
            frame.height = (d[pos + 3] << 8) | d[pos + 4];
            frame.width = (d[pos + 5] << 8) | d[pos + 6];
            frame.components = d[pos + 7];
            if (frame.width == 0 || frame.height == 0) return Fail(error, "picture without a size");
            haveFrame = true;
        }
        pos += len;
        if (m != 0xDA) continue;
        if (!haveFrame) return Fail(error, "scan before the frame header");
        if (++scans > kMaxScans) return Fail(error, "too many scans");
        // Coded data runs up to the next marker; stuffed zeros and restart markers
        // belong to it.
        for (;;) {
            if (pos >= n) return Fail(error, "data ends early");
            if (d[pos] != 0xFF) {
                ++pos;
                continue;
            }
            if (pos + 1 >= n) return Fail(error, "data ends early");
            const uint8_t next = d[pos + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                pos += 2;
                continue;
            }
            if (next == 0xFF) {
                ++pos;
                continue;
            }
            break;
        }
    }
}

Com<IWICImagingFactory> Factory() {
    Com<IWICImagingFactory> f;
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     reinterpret_cast<void**>(f.out()));
    return f;
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, Image& img, std::string* error) {
    if (!data || size == 0) return Fail(error, "no data");
    if (size > kMaxFileBytes) return Fail(error, "unreasonable file size");
    Frame frame;
    if (!CheckStructure(data, size, frame, error)) return false;
    if (frame.components == 4) return Fail(error, "CMYK pictures are not supported");
    if (frame.components != 1 && frame.components != 3) return Fail(error, "unsupported number of colour components");
    const int64_t w = frame.width, h = frame.height;
    if (w > Image::kMaxSide || h > Image::kMaxSide || w * h > Image::kMaxPixels) return Fail(error, "picture too large");
    // Even a flat grey picture costs a few bits per 8 x 8 block; a header that
    // claims far more pixels than the data could carry is damaged.
    if (w * h > std::max<int64_t>(int64_t{4} << 20, int64_t(size) * 2048)) return Fail(error, "picture too large for its data");

    win32::ComScope com;
    if (!com.Ready()) return Fail(error, "COM cannot be started");
    Com<IWICImagingFactory> factory = Factory();
    if (!factory) return Fail(error, "the Windows Imaging Component is not available");
    Com<IWICStream> stream;
    Com<IWICBitmapDecoder> decoder;
    Com<IWICBitmapFrameDecode> picture;
    Com<IWICFormatConverter> converter;
    if (FAILED(factory->CreateStream(stream.out())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))) ||
        FAILED(factory->CreateDecoder(GUID_ContainerFormatJpeg, nullptr, decoder.out())) ||
        FAILED(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand)) || FAILED(decoder->GetFrame(0, picture.out())))
        return Fail(error, "the picture cannot be read");
    UINT pw = 0, ph = 0;
    WICPixelFormatGUID format{};
    if (FAILED(picture->GetSize(&pw, &ph)) || pw != static_cast<UINT>(w) || ph != static_cast<UINT>(h) ||
        FAILED(picture->GetPixelFormat(&format)))
        return Fail(error, "the picture cannot be read");
    Image out;
    if (!out.Create(static_cast<int>(w), static_cast<int>(h))) return Fail(error, "cannot create the picture");
    if (format == GUID_WICPixelFormat24bppBGR) {
        // Colour pictures come as 24-bit BGR already: straight into the image, then
        // blue and red change places (the image keeps red first).
        const UINT stride = static_cast<UINT>(w * 3);
        if (FAILED(picture->CopyPixels(nullptr, stride, static_cast<UINT>(stride * h), out.Row(0))))
            return Fail(error, "the picture's data is damaged");
        for (int y = 0; y < out.Height(); ++y) {
            uint8_t* p = out.Row(y);
            for (int x = 0; x < out.Width(); ++x, p += 3) std::swap(p[0], p[2]);
        }
    } else {
        // Anything else (grey) through 32-bit BGRA, the one format every WIC,
        // wine's included, converts everything to; a band of rows at a time.
        if (FAILED(factory->CreateFormatConverter(converter.out())) ||
            FAILED(converter->Initialize(picture.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                         WICBitmapPaletteTypeCustom)))
            return Fail(error, "the picture cannot be converted to 24 bits");
        constexpr int kBand = 64;
        std::vector<uint8_t> band(static_cast<size_t>(w) * 4 * kBand);
        for (int top = 0; top < out.Height(); top += kBand) {
            const int rows = std::min(kBand, out.Height() - top);
            const WICRect r{0, top, static_cast<INT>(w), rows};
            if (FAILED(converter->CopyPixels(&r, static_cast<UINT>(w * 4), static_cast<UINT>(w * 4 * rows), band.data())))
                return Fail(error, "the picture's data is damaged");
            for (int y = 0; y < rows; ++y) {
                const uint8_t* s = band.data() + static_cast<size_t>(y) * w * 4;
                uint8_t* d = out.Row(top + y);
                for (int x = 0; x < out.Width(); ++x, s += 4, d += 3) d[0] = s[2], d[1] = s[1], d[2] = s[0];
            }
        }
    }
    img = std::move(out);
    return true;
}

bool LoadJpegFile(const std::string& hostPath, Image& img, std::string* error) {
    const std::wstring name = win32::HostWide(hostPath);
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (error) *error = "cannot open " + hostPath;
        return false;
    }
    const uint64_t size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    if (size > kMaxFileBytes) {
        if (error) *error = "unreasonable file size: " + hostPath;
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!HostReadFile(hostPath, bytes)) {
        if (error) *error = "cannot read " + hostPath;
        return false;
    }
    return DecodeJpeg(bytes.data(), bytes.size(), img, error);
}

std::vector<uint8_t> EncodeJpeg(const Image& img, int quality) {
    if (img.Empty()) return {};
    win32::ComScope com;
    if (!com.Ready()) return {};
    Com<IWICImagingFactory> factory = Factory();
    if (!factory) return {};
    Com<IStream> memory;
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    Com<IPropertyBag2> options;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, memory.out())) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.out())) ||
        FAILED(encoder->Initialize(memory.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.out(), options.out())))
        return {};
    PROPBAG2 name{};
    name.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_R4;
    value.fltVal = static_cast<float>(std::clamp(quality, 1, 100)) / 100.0f;
    options->Write(1, &name, &value);
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(frame->Initialize(options.get())) || FAILED(frame->SetSize(img.Width(), img.Height())) ||
        FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR)
        return {};
    const UINT stride = static_cast<UINT>(img.Width() * 3);
    std::vector<uint8_t> bgr(static_cast<size_t>(stride) * img.Height());
    for (int y = 0; y < img.Height(); ++y) {
        const uint8_t* s = img.Row(y);
        uint8_t* d = bgr.data() + static_cast<size_t>(y) * stride;
        for (int x = 0; x < img.Width(); ++x, s += 3, d += 3) d[0] = s[2], d[1] = s[1], d[2] = s[0];
    }
    if (FAILED(frame->WritePixels(static_cast<UINT>(img.Height()), stride, static_cast<UINT>(bgr.size()), bgr.data())) ||
        FAILED(frame->Commit()) || FAILED(encoder->Commit()))
        return {};
    STATSTG stat{};
    HGLOBAL global = nullptr;
    if (FAILED(memory->Stat(&stat, STATFLAG_NONAME)) || FAILED(GetHGlobalFromStream(memory.get(), &global))) return {};
    std::vector<uint8_t> out;
    if (const void* p = GlobalLock(global)) {
        const auto* bytes = static_cast<const uint8_t*>(p);
        out.assign(bytes, bytes + stat.cbSize.QuadPart);
        GlobalUnlock(global);
    }
    return out;
}

}  // namespace platform
