#include "app/pngencoding.h"

#include <objbase.h>
#include <wincodec.h>
#include <windows.h>

#include <vector>

namespace {

// A COM interface held for the scope it is made in.
template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (m_pointer)
            m_pointer->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface** Out() { return &m_pointer; }
    Interface* operator->() const { return m_pointer; }
    Interface* Get() const { return m_pointer; }

private:
    Interface* m_pointer = nullptr;
};

// COM for this thread while the encoding runs; left as it was found when
// the window's toolkit set it up already.
class ComScope {
public:
    ComScope() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_result;
};

// The picture's rows as the encoder takes them: blue, green, red.
std::vector<BYTE> bgrRows(const wxImage& image, UINT stride)
{
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    const unsigned char* rgb = image.GetData();
    std::vector<BYTE> rows(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* from = rgb + (static_cast<std::size_t>(y) * width + x) * 3;
            BYTE* to = rows.data() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3;
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    return rows;
}

} // namespace

std::string EncodePng(const wxImage& image)
{
    if (!image.IsOk())
        return std::string();
    const ComScope com;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    const UINT width = static_cast<UINT>(image.GetWidth());
    const UINT height = static_cast<UINT>(image.GetHeight());
    const UINT stride = (width * 3 + 3) / 4 * 4;
    std::vector<BYTE> rows = bgrRows(image, stride);
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    const bool encoded
        = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                     reinterpret_cast<void**>(factory.Out())))
        && SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()))
        && SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out()))
        && SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache))
        && SUCCEEDED(encoder->CreateNewFrame(frame.Out(), options.Out()))
        && SUCCEEDED(frame->Initialize(options.Get())) && SUCCEEDED(frame->SetSize(width, height))
        && SUCCEEDED(frame->SetPixelFormat(&format)) && IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)
        && SUCCEEDED(frame->WritePixels(height, stride, static_cast<UINT>(rows.size()), rows.data()))
        && SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    if (!encoded)
        return std::string();
    HGLOBAL memory = nullptr;
    STATSTG about{};
    if (FAILED(GetHGlobalFromStream(stream.Get(), &memory)) || FAILED(stream->Stat(&about, STATFLAG_NONAME)))
        return std::string();
    const void* bytes = GlobalLock(memory);
    if (!bytes)
        return std::string();
    std::string png(static_cast<const char*>(bytes), static_cast<std::size_t>(about.cbSize.QuadPart));
    GlobalUnlock(memory);
    return png;
}
