#include "brantic/lightprofile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "brantic/io.h"

namespace brantic {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Reads the text line by line for the keywords, then number by number.
class ProfileReader {
 public:
  explicit ProfileReader(std::string_view text) : text_(text) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") text_.remove_prefix(3);  // a byte order mark
  }

  Result<LightProfile> Read() {
    LightProfile profile;
    if (auto header = ReadHeader(profile); !header) return header.GetError();
    if (profile.tilt == "INCLUDE") {
      if (auto tilt = SkipTiltData(); !tilt) return tilt.GetError();
    }
    double lamps = 0, vertical = 0, horizontal = 0, type = 0, units = 0, multiplier = 1;
    for (auto [value, what] : {std::pair{&lamps, "the number of lamps"},
                               {&profile.lumensPerLamp, "the lumens per lamp"},
                               {&multiplier, "the candela multiplier"},
                               {&vertical, "the number of vertical angles"},
                               {&horizontal, "the number of horizontal angles"},
                               {&type, "the photometric type"},
                               {&units, "the units type"},
                               {&profile.width, "the width"},
                               {&profile.length, "the length"},
                               {&profile.height, "the height"},
                               {&profile.ballastFactor, "the ballast factor"},
                               {&ballastLampFactor_, "the ballast-lamp factor"},
                               {&profile.inputWatts, "the input watts"}}) {
      auto number = Number(what);
      if (!number) return number.GetError();
      *value = *number;
    }
    if (!IsCount(lamps, 0) || !IsCount(vertical, 1) || !IsCount(horizontal, 1)) {
      return Problem("the numbers of lamps and angles must be whole numbers, with at least one angle of each kind");
    }
    if (type != 1 && type != 2 && type != 3) return Problem("the photometric type must be 1, 2 or 3");
    profile.lampCount = int32_t(lamps);
    profile.type = PhotometricType(int32_t(type));
    // Feet or metres; anything else is kept as "not said" (found by fuzzing: a number beyond
    // any integer was converted).
    profile.unitsType = units == 1 || units == 2 ? int32_t(units) : 0;
    // Each number takes two characters at least: counts the text cannot hold are refused
    // before anything is made for them.
    const double values = vertical + horizontal + vertical * horizontal;
    if (values * 2 > double(text_.size() - position_) + 1) {
      return Problem("the file ends before its " + std::to_string(int64_t(vertical)) + " x " +
                     std::to_string(int64_t(horizontal)) + " candela values");
    }
    if (auto angles = Angles(size_t(vertical), "vertical", profile.verticalAngles); !angles) return angles.GetError();
    if (auto angles = Angles(size_t(horizontal), "horizontal", profile.horizontalAngles); !angles) {
      return angles.GetError();
    }
    if (auto ranges = CheckRanges(profile); !ranges) return ranges.GetError();
    profile.candela.reserve(size_t(vertical * horizontal));
    for (size_t i = 0; i < size_t(vertical * horizontal); ++i) {
      auto value = Number("a candela value");
      if (!value) return value.GetError();
      // Measurements a little below zero are noise; nothing shines negatively.
      profile.candela.push_back(std::max(0.0, *value * multiplier));
    }
    return profile;
  }

 private:
  static bool IsCount(double value, double least) {
    return value >= least && value <= 1e7 && value == std::floor(value);
  }

  Error Problem(const std::string& what) const {
    return IllegalArgumentError("line " + std::to_string(line_) + " of the light profile: " + what);
  }

  // The next line without its line break; false at the end of the text.
  bool NextLine(std::string_view& line) {
    if (position_ >= text_.size()) return false;
    const size_t end = text_.find('\n', position_);
    line = text_.substr(position_, end == std::string_view::npos ? std::string_view::npos : end - position_);
    position_ = end == std::string_view::npos ? text_.size() : end + 1;
    ++line_;
    return true;
  }

  Result<void> ReadHeader(LightProfile& profile) {
    std::string_view line;
    if (!NextLine(line)) return IllegalArgumentError("the light profile is empty");
    line = Trim(line);
    // The form the first line names; a file of the first form has no such line.
    bool firstLineRead = true;
    for (std::string_view prefix : {"IESNA:", "IES:"}) {
      if (line.substr(0, prefix.size()) == prefix) profile.standard = std::string(Trim(line.substr(prefix.size())));
    }
    if (line == "IESNA91") profile.standard = "LM-63-1991";
    if (profile.standard.empty()) {
      profile.standard = "LM-63-1986";
      firstLineRead = false;
    }
    if (!firstLineRead) {  // the first line is one of the text's own: read it again below
      position_ = 0;
      line_ = 0;
    }
    while (NextLine(line)) {
      line = Trim(line);
      if (line.substr(0, 5) == "TILT=" || line.substr(0, 5) == "TILT ") {
        std::string_view tilt = Trim(line.substr(4));
        if (!tilt.empty() && tilt.front() == '=') tilt = Trim(tilt.substr(1));
        profile.tilt = std::string(tilt);
        ++line_;  // the numbers start on the next line
        return OK();
      }
      if (line.empty() || line.front() != '[') continue;  // descriptive text of the first form
      const size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      std::string key(Trim(line.substr(1, close - 1)));
      std::string value(Trim(line.substr(close + 1)));
      if (key == "MORE" && !profile.keywords.empty()) {
        profile.keywords.back().second += (profile.keywords.back().second.empty() ? "" : " ") + value;
      } else {
        profile.keywords.emplace_back(std::move(key), std::move(value));
      }
    }
    return IllegalArgumentError("the light profile has no TILT= line: it is not a light profile");
  }

  // The tilt data of TILT=INCLUDE: lamp geometry, then pairs of angles and factors.
  Result<void> SkipTiltData() {
    auto geometry = Number("the lamp-to-luminaire geometry");
    if (!geometry) return geometry.GetError();
    auto pairs = Number("the number of tilt angles");
    if (!pairs) return pairs.GetError();
    if (!IsCount(*pairs, 0)) return Problem("the number of tilt angles must be a whole number");
    if (*pairs * 4 > double(text_.size() - position_) + 1) return Problem("the file ends inside its tilt data");
    for (int64_t i = 0; i < int64_t(*pairs) * 2; ++i) {
      if (auto value = Number("a tilt value"); !value) return value.GetError();
    }
    return OK();
  }

  Result<void> Angles(size_t count, const char* kind, std::vector<double>& angles) {
    angles.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      auto angle = Number(kind == std::string_view("vertical") ? "a vertical angle" : "a horizontal angle");
      if (!angle) return angle.GetError();
      if (!angles.empty() && *angle < angles.back()) {
        return Problem(std::string("the ") + kind + " angles must not decrease");
      }
      angles.push_back(*angle);
    }
    return OK();
  }

  Result<void> CheckRanges(const LightProfile& profile) const {
    const bool typeC = profile.type == PhotometricType::C;
    const auto within = [](const std::vector<double>& angles, double low, double high) {
      return angles.front() >= low && angles.back() <= high;
    };
    if (!within(profile.verticalAngles, typeC ? 0.0 : -90.0, typeC ? 180.0 : 90.0)) {
      return Problem("a vertical angle lies outside the range of its photometric type");
    }
    if (!within(profile.horizontalAngles, typeC ? 0.0 : -90.0, typeC ? 360.0 : 90.0)) {
      return Problem("a horizontal angle lies outside the range of its photometric type");
    }
    return OK();
  }

  // The next number; numbers are separated by blanks, line breaks and commas.
  Result<double> Number(const char* what) {
    while (position_ < text_.size() &&
           (IsBlank(text_[position_]) || text_[position_] == ',' || text_[position_] == '\n')) {
      if (text_[position_] == '\n') ++line_;
      ++position_;
    }
    if (position_ >= text_.size()) return Problem(std::string("the file ends before ") + what);
    size_t end = position_;
    while (end < text_.size() && !IsBlank(text_[end]) && text_[end] != ',' && text_[end] != '\n') ++end;
    std::string_view token = text_.substr(position_, end - position_);
    if (token.front() == '+') token.remove_prefix(1);
    double value = 0.0;
    const auto [stop, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc() || stop != token.data() + token.size() || !std::isfinite(value)) {
      return Problem(std::string(what) + " should come here, not \"" +
                     std::string(text_.substr(position_, std::min<size_t>(end - position_, 24))) + "\"");
    }
    position_ = end;
    return value;
  }

  std::string_view text_;
  size_t position_ = 0;
  int64_t line_ = 0;
  double ballastLampFactor_ = 1.0;
};

// The measured angle span around `angle` in `angles`: the index below and the weight of the
// one above.
std::pair<size_t, double> Span(const std::vector<double>& angles, double angle) {
  if (angles.size() == 1 || angle <= angles.front()) return {0, 0.0};
  if (angle >= angles.back()) return {angles.size() - 1, 0.0};
  const size_t above = size_t(std::upper_bound(angles.begin(), angles.end(), angle) - angles.begin());
  const size_t below = above - 1;
  const double width = angles[above] - angles[below];
  return {below, width > 0 ? (angle - angles[below]) / width : 0.0};
}

}  // namespace

std::string LightProfile::Keyword(std::string_view name) const {
  for (const auto& [key, value] : keywords) {
    if (key == name) return value;
  }
  return {};
}

double LightProfile::MaximumIntensity() const {
  return candela.empty() ? 0.0 : *std::max_element(candela.begin(), candela.end());
}

double LightProfile::Intensity(double horizontal, double vertical) const {
  if (verticalAngles.empty() || horizontalAngles.empty() ||
      candela.size() != verticalAngles.size() * horizontalAngles.size()) {
    return 0.0;
  }
  if (vertical < verticalAngles.front() || vertical > verticalAngles.back()) return 0.0;
  if (type == PhotometricType::C) {
    // The planes that are not measured mirror those that are.
    horizontal = std::fmod(horizontal, 360.0);
    if (horizontal < 0) horizontal += 360.0;
    const double last = horizontalAngles.back();
    if (last == 90.0 || last == 180.0) {
      if (horizontal > 180.0) horizontal = 360.0 - horizontal;
      if (last == 90.0 && horizontal > 90.0) horizontal = 180.0 - horizontal;
    }
  }
  const size_t rows = verticalAngles.size();
  const auto [h, hWeight] = Span(horizontalAngles, horizontal);
  const auto [v, vWeight] = Span(verticalAngles, vertical);
  const auto at = [&](size_t hi, size_t vi) {
    return candela[std::min(hi, horizontalAngles.size() - 1) * rows + std::min(vi, rows - 1)];
  };
  const double low = at(h, v) * (1 - vWeight) + at(h, v + 1) * vWeight;
  const double high = at(h + 1, v) * (1 - vWeight) + at(h + 1, v + 1) * vWeight;
  return low * (1 - hWeight) + high * hWeight;
}

Result<LightProfile> ParseLightProfile(std::string_view text) {
  try {
    return ProfileReader(text).Read();
  } catch (const std::bad_alloc&) {
    return OutOfMemoryError("out of memory while reading the light profile");
  }
}

Result<LightProfile> LoadLightProfile(const Url& url) {
  const FileStat file = StatFile(url);
  if (file.kind != IoDetect::File) return IoError(url.GetSystemPath() + " is not a file");
  if (file.size > kMaxLightProfileBytes) {
    return IllegalArgumentError(url.GetSystemPath() + " is too large (" + std::to_string(file.size) +
                                " bytes) to be a light profile");
  }
  auto stream = OpenForReading(url);
  if (!stream) return stream.GetError();
  std::string text(size_t(file.size), '\0');
  int64_t filled = 0;
  while (filled < file.size) {
    auto read = (*stream)->Read(text.data() + filled, file.size - filled);
    if (!read) return read.GetError();
    if (*read == 0) break;
    filled += *read;
  }
  text.resize(size_t(filled));
  return ParseLightProfile(text);
}

}  // namespace brantic
