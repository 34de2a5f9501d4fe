#include "pictures.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>

#include "art_ids.h"
#include "error.h"
#include "scoped_win.h"

namespace {

int ResourceId(PictureId id) {
  switch (id) {
    case PictureId::IconIO: return IDB_ICON_IO;
    case PictureId::IconModeling: return IDB_ICON_MODEL;
    case PictureId::IconDraw: return IDB_ICON_DRAW;
    case PictureId::IconHelp: return IDB_ICON_HELP;
    case PictureId::Banner: return IDB_BANNER;
    case PictureId::None: break;
  }
  return 0;
}

// The picture of a BITMAP resource: a 24-bit uncompressed device-independent
// bitmap, stored already decoded so that no codec is needed at start-up.
Picture Decode(int resourceId) {
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  if (!found) ThrowLastError();
  HGLOBAL loaded = LoadResource(self, found);
  if (!loaded) ThrowLastError();
  const auto* bytes = static_cast<const uint8_t*>(LockResource(loaded));
  const DWORD size = SizeofResource(self, found);
  BITMAPINFOHEADER header{};
  if (!bytes || size < sizeof header) ThrowSystemError(ERROR_INVALID_DATA);
  std::memcpy(&header, bytes, sizeof header);
  const int width = header.biWidth, height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  const size_t stride = (size_t{static_cast<unsigned>(width)} * 3 + 3) & ~size_t{3};
  const bool usable = header.biBitCount == 24 && header.biCompression == BI_RGB && header.biClrUsed == 0 &&
                      width > 0 && height > 0 && header.biSize >= sizeof header && header.biSize <= size &&
                      size - header.biSize >= stride * static_cast<size_t>(height);
  if (!usable) ThrowSystemError(ERROR_INVALID_DATA);
  const uint8_t* pixels = bytes + header.biSize;
  Picture picture{width, height, std::vector<uint8_t>(size_t{static_cast<unsigned>(width)} * height * 4)};
  for (int y = 0; y < height; ++y) {
    // Rows are stored bottom-up unless the height is negative.
    const uint8_t* from = pixels + stride * static_cast<size_t>(header.biHeight < 0 ? y : height - 1 - y);
    uint8_t* to = picture.bgra.data() + size_t{static_cast<unsigned>(width)} * 4 * y;
    for (int x = 0; x < width; ++x, from += 3, to += 4) {
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
      to[3] = 0xFF;
    }
  }
  return picture;
}

ScopedBitmap ToBitmap(const Picture& picture) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top-down rows, as decoded
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  ScopedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
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
  static std::map<std::tuple<PictureId, int, int>, ScopedBitmap> bitmaps;
  const auto key = std::make_tuple(id, width, height);
  auto it = bitmaps.find(key);
  if (it == bitmaps.end()) it = bitmaps.emplace(key, ToBitmap(Resample(NaturalPicture(id), width, height))).first;
  return it->second.get();
}
