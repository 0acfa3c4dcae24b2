// The stored preview picture of a scene file, read without making a document: the file is
// streamed through a SAX handler that keeps only the preview's text, so any thread may read
// it and a large scene costs no more memory than its preview.
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "bx3/bitmap.h"
#include "bx3/host.h"
#include "bx3/scenefile.h"

namespace bx3 {

namespace {

using Json = nlohmann::json;

// Keeps "/format" and "/preview/png"; stops once both are known.
class PreviewFinder final : public nlohmann::json_sax<Json> {
 public:
  bool null() override { return Value(); }
  bool boolean(bool) override { return Value(); }
  bool number_integer(number_integer_t) override { return Value(); }
  bool number_unsigned(number_unsigned_t) override { return Value(); }
  bool number_float(number_float_t, const string_t&) override { return Value(); }
  bool binary(binary_t&) override { return Value(); }
  bool string(string_t& value) override {
    if (depth_ == 1 && key_ == "format") format = value;
    if (depth_ == 2 && inPreview_ && key_ == "png") png = std::move(value);
    return Value();
  }
  bool start_object(std::size_t) override {
    inPreview_ = depth_ == 1 && key_ == "preview";
    ++depth_;
    return true;
  }
  bool end_object() override {
    --depth_;
    if (depth_ <= 1) inPreview_ = false;
    return Value();
  }
  bool start_array(std::size_t) override {
    ++depth_;
    return true;
  }
  bool end_array() override {
    --depth_;
    return Value();
  }
  bool key(string_t& value) override {
    key_ = std::move(value);
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

  std::string format;
  std::string png;

 private:
  // After a value: go on unless both texts are known.
  bool Value() const { return format.empty() || png.empty(); }
  int depth_ = 0;
  bool inPreview_ = false;
  std::string key_;
};

}  // namespace

bool LoadScenePreview(const Filename& file, BaseBitmap& bitmap) {
  std::ifstream stream(file.GetString().Std(), std::ios::binary);
  if (!stream) return false;
  PreviewFinder finder;
  try {
    Json::sax_parse(stream, &finder);
  } catch (const std::exception&) {
    return false;
  }
  if (finder.format != "bx3-scene" || finder.png.empty()) return false;
  auto bytes = DecodeBase64(finder.png);
  return bytes && bitmap.InitFromMemory(*bytes) == kImageResultOk;
}

}  // namespace bx3
