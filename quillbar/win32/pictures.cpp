#include "pictures.h"

#include <wincodec.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "art_ids.h"
#include "com_holders.h"
#include "error.h"

namespace {

int ResourceId(PictureId id) {
  switch (id) {
    case PictureId::IconIO: return IDR_ICON_IO;
    case PictureId::IconModeling: return IDR_ICON_MODEL;
    case PictureId::IconDraw: return IDR_ICON_DRAW;
    case PictureId::IconHelp: return IDR_ICON_HELP;
    case PictureId::Banner: return IDR_BANNER;
    case PictureId::None: break;
  }
  return 0;
}

// The JPEG bytes of an RCDATA resource; they stay mapped for the program's life.
std::pair<const BYTE*, DWORD> ResourceBytes(int id) {
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (!found) ThrowLastError();
  HGLOBAL loaded = LoadResource(self, found);
  if (!loaded) ThrowLastError();
  return {static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(self, found)};
}

Picture Decode(int resourceId) {
  auto [bytes, size] = ResourceBytes(resourceId);
  ComPtr<IWICImagingFactory> factory;
  CheckHr(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)));
  ComPtr<IWICStream> stream;
  CheckHr(factory->CreateStream(&stream));
  CheckHr(stream->InitializeFromMemory(const_cast<BYTE*>(bytes), size));
  ComPtr<IWICBitmapDecoder> decoder;
  CheckHr(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder));
  ComPtr<IWICBitmapFrameDecode> frame;
  CheckHr(decoder->GetFrame(0, &frame));
  ComPtr<IWICFormatConverter> converter;
  CheckHr(factory->CreateFormatConverter(&converter));
  CheckHr(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                WICBitmapPaletteTypeCustom));
  UINT w = 0, h = 0;
  CheckHr(converter->GetSize(&w, &h));
  Picture picture{static_cast<int>(w), static_cast<int>(h), std::vector<uint8_t>(size_t{w} * h * 4)};
  CheckHr(converter->CopyPixels(nullptr, w * 4, static_cast<UINT>(picture.bgra.size()), picture.bgra.data()));
  return picture;
}

HBITMAP ToBitmap(const Picture& picture) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top-down rows, as decoded
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) ThrowLastError();
  std::copy(picture.bgra.begin(), picture.bgra.end(), static_cast<uint8_t*>(bits));
  return bitmap;
}

}  // namespace

const Picture& NaturalPicture(PictureId id) {
  static std::map<PictureId, Picture> decoded;
  auto it = decoded.find(id);
  if (it == decoded.end()) it = decoded.emplace(id, Decode(ResourceId(id))).first;
  return it->second;
}

HBITMAP PictureBitmap(PictureId id, int width, int height) {
  static std::map<std::tuple<PictureId, int, int>, HBITMAP> bitmaps;
  const auto key = std::make_tuple(id, width, height);
  auto it = bitmaps.find(key);
  if (it == bitmaps.end()) it = bitmaps.emplace(key, ToBitmap(Resample(NaturalPicture(id), width, height))).first;
  return it->second;
}
