#include "platform.h"

PlatformOps& Platform() {
  static PlatformOps ops;
  return ops;
}
