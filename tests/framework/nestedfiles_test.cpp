// What files name inside them: OBJ libraries, MTL maps, glTF images and buffers.
#include "brantic/nestedfiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "support/temp_folder.h"

using brantic::NamedFile;

namespace {

std::vector<std::string> Paths(const brantic::NamedFiles& found) {
  std::vector<std::string> paths;
  for (const NamedFile& file : found.files) paths.push_back(file.path);
  return paths;
}

}  // namespace

TEST(NestedFiles, ObjLibrariesAndMtlMapsAreTheNamesAfterTheirKeywordsAndOptions) {
  struct Case {
    std::string text;
    std::vector<std::string> paths;
  };
  const std::vector<Case> objCases = {
      {"mtllib crate.mtl\nv 0 0 0\n", {"crate.mtl"}},
      {"  mtllib\ta.mtl  b.MTL\r\nmtllib c.mtl", {"a.mtl", "b.MTL", "c.mtl"}},
      {"mtllib my crate.mtl\n", {"my crate.mtl"}},  // a name with a space, as some exporters write
      {"# mtllib old.mtl\nmtllibx y.mtl\nusemtl wood\nmtllib\n", {}},
  };
  for (const Case& c : objCases) EXPECT_EQ(Paths(brantic::ObjLibrariesOfText(c.text)), c.paths) << c.text;

  const std::vector<Case> mtlCases = {
      {"newmtl crate\nKd 1 1 1\nmap_Kd .\\crate_diffuse.jpg\n", {".\\crate_diffuse.jpg"}},
      {"bump -bm 0.5 textures/crate_bump.png\nmap_bump -bm 1 b.png", {"textures/crate_bump.png", "b.png"}},
      {"map_Kd -s 1 1 1 -o 0 0 tex.png\nmap_Ka -s 2 t.png\nmap_Ks -mm 0 1 s.png", {"tex.png", "t.png", "s.png"}},
      {"map_kd my texture.png\nmap_d -clamp on -imfchan m alpha.tga", {"my texture.png", "alpha.tga"}},
      {"refl -type sphere sky.hdr\ndisp d.exr\ndecal e.png\nnorm n.png\nmap_Ns ns.png",
       {"sky.hdr", "d.exr", "e.png", "n.png", "ns.png"}},
      {"map_Pr r.png\nmap_Pm m.png\nmap_Ps s.png\nmap_Ke k.png", {"r.png", "m.png", "s.png", "k.png"}},
      {"map_Kd\nmap_Kd -bm 1.0\nmap_Kd -unknown x.png\nKa 0 0 0", {"-unknown x.png"}},
  };
  for (const Case& c : mtlCases) EXPECT_EQ(Paths(brantic::MtlMapsOfText(c.text)), c.paths) << c.text;
  // Where each was written, and as which map.
  EXPECT_EQ(brantic::MtlMapsOfText("newmtl a\n\nmap_kd x.png").files, (std::vector<NamedFile>{{"x.png", "map_Kd", 3}}));
}

TEST(NestedFiles, AnObjIsReadAsAStreamWithTheSameAnswerAsItsText) {
  kvtest::TempFolder folder;
  // Libraries at the start, across the reader's 1 MB blocks, after a line longer than a block
  // (geometry, never a library) and at the end without a newline.
  std::string text = "mtllib first.mtl\n";
  for (int i = 0; i < 150000; ++i) {
    text += "v 0.1 0.2 0.3\n";
    if (i == 149794) text += "mtllib middle.mtl\n";  // across the first read of 2 MB
  }
  text += "f" + std::string(3 << 20, ' ') + "mtllib inside.mtl\n";
  text += "mtllib last.mtl";
  const std::string path = folder / "big.obj";
  std::ofstream(path) << text;
  const auto streamed = brantic::ReadObjLibraries(path);
  ASSERT_TRUE(streamed.HasValue()) << streamed.GetError().Message();
  EXPECT_EQ(streamed->files, brantic::ObjLibrariesOfText(text).files);
  EXPECT_EQ(Paths(*streamed), (std::vector<std::string>{"first.mtl", "middle.mtl", "last.mtl"}));

  // What is no regular file is refused at once, a pipe too.
  ASSERT_EQ(::mkfifo((folder / "pipe.obj").c_str(), 0600), 0);
  for (const std::string& odd : {folder / "pipe.obj", folder.Path(), folder / "none.obj"}) {
    EXPECT_FALSE(brantic::ReadObjLibraries(odd).HasValue()) << odd;
  }
}

TEST(NestedFiles, GltfUrisAreDecodedAndDataUrisCountedNotListed) {
  const std::string json = R"({
    "asset": {"version": "2.0"},
    "images": [{"uri": "tex/wood%20grain.png"}, {"uri": "data:image/png;base64,iVBORw0KGgo="},
               {"bufferView": 3, "mimeType": "image/png"}, {"uri": "http://example.com/x.png"},
               {"uri": "file:///abs/c.png"}, {"name": "no uri"}, {"uri": ""}, {"uri": "file://"}],
    "buffers": [{"byteLength": 10, "uri": "mesh.bin"}, {"uri": "data:application/octet-stream;base64,AAAA"}],
    "extras": {"images": [{"uri": "not/this.png"}]}
  })";
  const auto found = brantic::GltfFilesOfText(json);
  ASSERT_TRUE(found.HasValue()) << found.GetError().Message();
  EXPECT_EQ(found->files,
            (std::vector<NamedFile>{
                {"tex/wood grain.png", "images/0", 0}, {"/abs/c.png", "images/4", 0}, {"mesh.bin", "buffers/0", 0}}));
  EXPECT_EQ(found->embedded, 2);

  // Damaged files are refused with where.
  for (const char* damaged : {R"({"images": [{"uri": "a.png"})", "[1, 2]", R"({"images": [] } extra)", ""}) {
    const auto refused = brantic::GltfFilesOfText(damaged);
    ASSERT_FALSE(refused.HasValue()) << damaged;
    EXPECT_NE(refused.GetError().Message().find("line 1, column"), std::string::npos) << refused.GetError().Message();
  }
  EXPECT_EQ(brantic::PercentDecoded("%41b%2Fc%zz%4"), "Ab/c%zz%4");
}

TEST(NestedFiles, ABinaryGltfIsReadThroughItsJsonChunk) {
  const auto glb = [](uint32_t version, std::string_view chunkType, const std::string& json, uint32_t claimed) {
    std::string bytes = "glTF";
    const auto word = [&](uint32_t value) { bytes.append(reinterpret_cast<const char*>(&value), 4); };
    word(version);
    word(uint32_t(20 + json.size()));
    word(claimed);
    bytes += chunkType;
    return bytes + json;
  };
  const std::string json = R"({"images": [{"uri": "a.png"}], "buffers": [{"byteLength": 4}]})";
  const auto found = brantic::GlbFilesOfBytes(glb(2, "JSON", json, uint32_t(json.size())));
  ASSERT_TRUE(found.HasValue()) << found.GetError().Message();
  EXPECT_EQ(Paths(*found), std::vector<std::string>{"a.png"});  // the binary chunk's buffer has no URI
  for (const auto& [bytes, problem] : std::vector<std::pair<std::string, std::string>>{
           {glb(1, "JSON", json, uint32_t(json.size())), "version 1"},
           {glb(2, "BIN\0", json, uint32_t(json.size())), "not JSON"},
           {glb(2, "JSON", json, uint32_t(json.size()) + 1), "past the file's end"},
           {"glTF", "no glTF header"}}) {
    const auto refused = brantic::GlbFilesOfBytes(bytes);
    ASSERT_FALSE(refused.HasValue()) << problem;
    EXPECT_NE(refused.GetError().Message().find(problem), std::string::npos) << refused.GetError().Message();
  }
}
