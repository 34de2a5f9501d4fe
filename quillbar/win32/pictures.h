// The palette's pictures: read from the program's bitmap resources once, then
// kept as bitmaps at every size a layout asks for.
#pragma once
#include <windows.h>

#include "layouts.h"
#include "resample.h"

// The picture at its natural size. Throws SystemError when it cannot be read.
const Picture& NaturalPicture(PictureId id);

// A 32-bit bitmap of the picture at width x height pixels, smoothly scaled when
// that differs from its natural size. The bitmap belongs to the cache and lives
// until the program ends.
HBITMAP PictureBitmap(PictureId id, int width, int height);
