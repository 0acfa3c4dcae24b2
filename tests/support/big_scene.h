// A generated scene of many bitmap-shader uses over fewer files, some present (tiny real
// pictures), some found by name in the scene's "tex" folder, the rest missing.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace kvtest {

struct BigSceneShape {
  int64_t uses = 100000;
  int64_t distinctFiles = 2000;
  int64_t presentFiles = 200;  // below "maps/", where the scene says they are
  int64_t foundByName = 100;   // named "lost/...", found by name in "tex/"
  int64_t shadersPerMaterial = 10;
  bool absolutePaths = false;  // files named by absolute paths, so that the scene can be copied anywhere
};

// A 2 × 2 RGB picture.
inline constexpr unsigned char kTinyPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00,
    0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00, 0x00, 0xfd, 0xd4, 0x9a, 0x73, 0x00, 0x00, 0x00, 0x13, 0x49,
    0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0x68, 0x70, 0x50, 0x00, 0x22, 0x06, 0x05, 0x87, 0x06, 0x20, 0x02, 0x00, 0x18,
    0x8e, 0x03, 0x81, 0x5f, 0xaf, 0x6b, 0x6e, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

// Writes `folder`/big.bx3 and its files; answers the scene's path.
inline std::string WriteBigScene(const std::string& folder, const BigSceneShape& shape = {}) {
  namespace fs = std::filesystem;
  fs::create_directories(folder + "/maps");
  fs::create_directories(folder + "/tex");
  const auto fileName = [](int64_t file) { return "t" + std::to_string(file) + ".png"; };
  const auto writePicture = [](const std::string& path) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(kTinyPng), sizeof kTinyPng);
  };
  for (int64_t file = 0; file < shape.presentFiles; ++file) writePicture(folder + "/maps/" + fileName(file));
  for (int64_t file = shape.presentFiles; file < shape.presentFiles + shape.foundByName; ++file) {
    writePicture(folder + "/tex/" + fileName(file));
  }
  const std::string path = folder + "/big.bx3";
  std::ofstream scene(path);
  scene << R"({"format": "bx3-scene", "version": 1, "materials": [)";
  int64_t id = 1;
  for (int64_t use = 0; use < shape.uses;) {
    scene << (use ? ",\n" : "\n") << R"({"id": )" << id++ << R"(, "type": "material.standard", "name": "M)" << use
          << R"(", "children": [)";
    for (int64_t shader = 0; shader < shape.shadersPerMaterial && use < shape.uses; ++shader, ++use) {
      const int64_t file = use % shape.distinctFiles;
      const std::string folderPart = file < shape.presentFiles                       ? "maps/"
                                     : file < shape.presentFiles + shape.foundByName ? "lost/"
                                                                                     : "missing/";
      scene << (shader ? ", " : "") << R"({"id": )" << id++ << R"(, "type": "shader.bitmap", "name": "S", "params": )"
            << R"({"100": {"int": )" << shader % 14 << R"(}, "1000": {"file": ")"
            << (shape.absolutePaths ? folder + "/" : "") << folderPart << fileName(file) << R"("}}})";
    }
    scene << "]}";
  }
  scene << "\n]}\n";
  return path;
}

}  // namespace kvtest
