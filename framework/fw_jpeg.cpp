#include "fw_jpeg.h"

#include "fw_handles.h"
#include "fw_png.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstring>
#include <new>

namespace fw {

namespace {

// COM for the duration of one decode, on whatever thread decodes.
struct ComScope {
    bool uninit = false;
    ComScope() {
        HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        uninit = SUCCEEDED(hr);  // S_FALSE (already initialised) also needs the pairing call
    }
    ~ComScope() {
        if (uninit) CoUninitialize();
    }
};

}  // namespace

bool WicDecode(const uint8_t* Data, size_t Size, const GUID& PixelFormat, int BytesPerPixel, int& Width, int& Height,
               std::vector<uint8_t>& Pixels, size_t& Stride) {
    Width = Height = 0;
    Pixels.clear();
    if (!Data || Size == 0 || Size > 0x7FFFFFFF || BytesPerPixel <= 0) return false;
    ComScope com;
    TComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.Put()))))
        return false;
    TComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.Put()))) return false;
    if (FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(Data), DWORD(Size)))) return false;
    TComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put())))
        return false;
    TComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.Put()))) return false;
    TComPtr<IWICFormatConverter> conv;
    if (FAILED(factory->CreateFormatConverter(conv.Put()))) return false;
    if (FAILED(conv->Initialize(frame.Get(), PixelFormat, WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom)))
        return false;
    UINT w = 0, h = 0;
    // The size comes from the file: a header may promise far more pixels than a 32-bit process can
    // hold. Pictures beyond the PNG decoder's limit are refused before anything is allocated.
    if (FAILED(conv->GetSize(&w, &h)) || w == 0 || h == 0 || w > png::kMaxDimension || h > png::kMaxDimension ||
        uint64_t(w) * h > png::kMaxPixels)
        return false;
    if (Stride == 0) Stride = (size_t(w) * BytesPerPixel + 3) & ~size_t(3);
    if (Stride < size_t(w) * BytesPerPixel || uint64_t(Stride) * h > 0x7FFFFFFF) return false;
    try {
        Pixels.resize(Stride * h);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (FAILED(conv->CopyPixels(nullptr, UINT(Stride), UINT(Pixels.size()), Pixels.data()))) {
        Pixels.clear();
        return false;
    }
    Width = int(w);
    Height = int(h);
    return true;
}

TJPEGImage::TJPEGImage() { FBitmap.SetPixelFormat(pf24bit); }

TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& Rect) { FBitmap.Draw(ACanvas, Rect); }

void TJPEGImage::LoadFromMemory(const uint8_t* Data, size_t Size) {
    if (!Data || Size < 3 || Data[0] != 0xFF || Data[1] != 0xD8) throw EInvalidGraphic(L"JPEG image is not valid");
    int w = 0, h = 0;
    std::vector<uint8_t> px;
    size_t stride = 0;
    // Through 32-bit BGRA, not straight to 24-bit: the imaging component converts grey (and CMYK)
    // frames to the former but not always to the latter, although it says it can.
    if (!WicDecode(Data, Size, GUID_WICPixelFormat32bppBGRA, 4, w, h, px, stride))
        throw EInvalidGraphic(L"JPEG image is not valid");
    FBitmap.SetSize(0, 0);
    FBitmap.SetSize(w, h);
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = px.data() + stride * y;
        uint8_t* dst = FBitmap.ScanLine(y);
        for (int x = 0; x < w; ++x, src += 4, dst += 3) std::memcpy(dst, src, 3);
    }
    Changed();
}

void TJPEGImage::Assign(TPersistent* Source) {
    if (auto* j = dynamic_cast<TJPEGImage*>(Source)) {
        if (j == this) return;
        FBitmap.Assign(&j->FBitmap);
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

}  // namespace fw
