#include "fileio.h"

FileOps& Files() {
  static FileOps ops = RealFileOps();
  return ops;
}

std::string TempPathFor(const std::string& path) { return path + "_TEMP"; }

void ReplaceFileContent(const std::string& path, std::string_view bytes) {
  const std::string temp = TempPathFor(path);
  try {
    Files().writeNew(temp, bytes);
    Files().moveReplace(temp, path);
  } catch (...) {
    Files().removeFile(temp);
    throw;
  }
}
