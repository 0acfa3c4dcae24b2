#include "check/kvcheckjson.h"

#include <functional>

#include "brantic/json_cursor.h"

namespace kv {

namespace {

void Text(std::string& out, std::string_view text) { brantic::AppendJsonText(out, text); }

// A text, or null for an empty one.
void TextOrNull(std::string& out, std::string_view text) {
  if (text.empty()) {
    out += "null";
  } else {
    Text(out, text);
  }
}

void Member(std::string& out, std::string_view indent, std::string_view key) {
  out += indent;
  Text(out, key);
  out += ": ";
}

void SetOf(std::string& out, const std::optional<KvCheckSet>& set) {
  if (!set) {
    out += "null";
    return;
  }
  out += "{\"found\": " + std::to_string(set->found) + ", \"expected\": " + std::to_string(set->expected) +
         ", \"missing\": " + std::to_string(set->expected - set->found) + "}";
}

void Summary(std::string& out, const KvCheckReport& report) {
  int64_t unreadable = 0, uses = 0;
  for (const KvCheckScene& scene : report.scenes) {
    unreadable += !scene.error.empty();
    uses += scene.uses;
  }
  out += "  \"summary\": {\n";
  out += "    \"scenes\": " + std::to_string(report.scenes.size()) + ",\n";
  out += "    \"unreadableScenes\": " + std::to_string(unreadable) + ",\n";
  out += "    \"assets\": " + std::to_string(report.assets.size()) + ",\n";
  out += "    \"uses\": " + std::to_string(uses) + ",\n";
  out += "    \"problems\": {";
  bool first = true;
  for (std::string_view problem : kCheckProblems) {
    out += first ? "" : ", ";
    first = false;
    Text(out, problem);
    out += ": " + std::to_string(CountProblem(report, problem));
  }
  out += "}";
  if (report.listsOrphans) out += ",\n    \"orphans\": " + std::to_string(report.orphans.size());
  out += "\n  },\n";
}

void Asset(std::string& out, const KvCheckAsset& asset) {
  constexpr std::string_view kIndent = "      ";
  const auto field = [&out, kIndent](std::string_view key, const auto& write) {
    Member(out, kIndent, key);
    write();
    out += ",\n";
  };
  out += "    {\n";
  field("path", [&] { Text(out, asset.path); });
  field("resolved", [&] { TextOrNull(out, asset.resolved); });
  field("status", [&] { Text(out, asset.status); });
  field("kind", [&] { Text(out, asset.kind); });
  field("frames", [&] { SetOf(out, asset.frames); });
  field("tiles", [&] { SetOf(out, asset.tiles); });
  Member(out, kIndent, "problems");
  out += "[";
  for (size_t i = 0; i < asset.problems.size(); ++i) {
    out += i ? ", " : "";
    Text(out, asset.problems[i]);
  }
  out += "],\n";
  Member(out, kIndent, "usedBy");
  out += "[";
  for (size_t i = 0; i < asset.usedBy.size(); ++i) {
    const KvCheckUse& use = asset.usedBy[i];
    out += i ? ",\n        {\"scene\": " : "\n        {\"scene\": ";
    Text(out, use.scene);
    out += ", \"element\": ";
    Text(out, use.element);
    out += ", \"parameter\": ";
    Text(out, use.parameter);
    out += ", \"via\": ";
    TextOrNull(out, use.via);
    out += "}";
  }
  out += asset.usedBy.empty() ? "]\n" : "\n      ]\n";
  out += "    }";
}

}  // namespace

std::string CheckReportJson(const KvCheckReport& report) {
  std::string out = "{\n";
  Member(out, "  ", "format");
  Text(out, kCheckFormat);
  out += ",\n  \"version\": " + std::to_string(kCheckVersion) + ",\n";
  Member(out, "  ", "projectRoot");
  TextOrNull(out, report.projectRoot);
  out += ",\n";
  Summary(out, report);
  out += "  \"scenes\": [";
  for (size_t i = 0; i < report.scenes.size(); ++i) {
    const KvCheckScene& scene = report.scenes[i];
    out += i ? ",\n    {\"path\": " : "\n    {\"path\": ";
    Text(out, scene.path);
    out += ", \"uses\": " + std::to_string(scene.uses) + ", \"error\": ";
    TextOrNull(out, scene.error);
    out += "}";
  }
  out += report.scenes.empty() ? "],\n" : "\n  ],\n";
  out += "  \"assets\": [";
  for (size_t i = 0; i < report.assets.size(); ++i) {
    out += i ? ",\n" : "\n";
    Asset(out, report.assets[i]);
  }
  out += report.assets.empty() ? "]" : "\n  ]";
  if (report.listsOrphans) {
    out += ",\n  \"orphans\": [";
    for (size_t i = 0; i < report.orphans.size(); ++i) {
      out += i ? ",\n    " : "\n    ";
      Text(out, report.orphans[i]);
    }
    out += report.orphans.empty() ? "]" : "\n  ]";
  }
  out += "\n}\n";
  return out;
}

namespace {

// Reads the members of an object, handing each key to `member`, which reads its value.
bool ReadObject(brantic::JsonCursor& cursor, const std::function<bool(std::string_view key)>& member) {
  if (!cursor.BeginObject()) return false;
  std::string_view key;
  while (cursor.NextMember(key)) {
    if (!member(std::string(key))) return false;
  }
  return !cursor.Failed();
}

bool ReadArray(brantic::JsonCursor& cursor, const std::function<bool()>& item) {
  if (!cursor.BeginArray()) return false;
  while (cursor.NextItem()) {
    if (!item()) return false;
  }
  return !cursor.Failed();
}

bool ReadText(brantic::JsonCursor& cursor, std::string& text) {
  std::string_view view;
  if (!cursor.ReadString(view)) return false;
  text.assign(view);
  return true;
}

bool ReadText(brantic::JsonCursor& cursor, brantic::String& text) {
  std::string_view view;
  if (!cursor.ReadString(view)) return false;
  text = brantic::String(view);
  return true;
}

// A text, or null for an empty one.
template <typename Text>
bool ReadTextOrNull(brantic::JsonCursor& cursor, Text& text) {
  if (cursor.Peek() == brantic::JsonKind::Null) {
    text = Text();
    return cursor.ReadNull();
  }
  return ReadText(cursor, text);
}

bool ReadInteger(brantic::JsonCursor& cursor, int64_t& value) {
  brantic::JsonNumber number;
  if (!cursor.ReadNumber(number) || !number.isInteger) return false;
  value = number.integer;
  return true;
}

bool ReadSet(brantic::JsonCursor& cursor, std::optional<KvCheckSet>& set) {
  if (cursor.Peek() == brantic::JsonKind::Null) return cursor.ReadNull();
  set.emplace();
  return ReadObject(cursor, [&](std::string_view key) {
    if (key == "found") return ReadInteger(cursor, set->found);
    if (key == "expected") return ReadInteger(cursor, set->expected);
    return cursor.Skip();
  });
}

bool ReadUse(brantic::JsonCursor& cursor, KvCheckUse& use) {
  return ReadObject(cursor, [&](std::string_view key) {
    if (key == "scene") return ReadText(cursor, use.scene);
    if (key == "element") return ReadText(cursor, use.element);
    if (key == "parameter") return ReadText(cursor, use.parameter);
    if (key == "via") return ReadTextOrNull(cursor, use.via);
    return cursor.Skip();
  });
}

bool ReadAsset(brantic::JsonCursor& cursor, KvCheckAsset& asset) {
  return ReadObject(cursor, [&](std::string_view key) {
    if (key == "path") return ReadText(cursor, asset.path);
    if (key == "resolved") return ReadTextOrNull(cursor, asset.resolved);
    if (key == "status") return ReadText(cursor, asset.status);
    if (key == "kind") return ReadText(cursor, asset.kind);
    if (key == "frames") return ReadSet(cursor, asset.frames);
    if (key == "tiles") return ReadSet(cursor, asset.tiles);
    if (key == "problems") {
      return ReadArray(cursor, [&] { return ReadText(cursor, asset.problems.emplace_back()); });
    }
    if (key == "usedBy") return ReadArray(cursor, [&] { return ReadUse(cursor, asset.usedBy.emplace_back()); });
    return cursor.Skip();
  });
}

}  // namespace

brantic::Result<KvCheckReport> ReadCheckReportJson(std::string_view text, std::string_view source) {
  KvCheckReport report;
  brantic::JsonCursor cursor(text);
  std::string problem;
  bool sawFormat = false;
  const bool read = ReadObject(cursor, [&](std::string_view key) {
    if (key == "format") {
      sawFormat = true;
      std::string format;
      if (!ReadText(cursor, format)) return false;
      if (format != kCheckFormat) problem = "not a check report (format \"" + format + "\")";
      return problem.empty();
    }
    if (key == "version") {
      int64_t version = 0;
      if (!ReadInteger(cursor, version)) return false;
      if (version != kCheckVersion) problem = "unsupported version " + std::to_string(version);
      return problem.empty();
    }
    if (key == "projectRoot") return ReadTextOrNull(cursor, report.projectRoot);
    if (key == "scenes") {
      return ReadArray(cursor, [&] {
        KvCheckScene& scene = report.scenes.emplace_back();
        return ReadObject(cursor, [&](std::string_view sceneKey) {
          if (sceneKey == "path") return ReadText(cursor, scene.path);
          if (sceneKey == "uses") return ReadInteger(cursor, scene.uses);
          if (sceneKey == "error") return ReadTextOrNull(cursor, scene.error);
          return cursor.Skip();
        });
      });
    }
    if (key == "assets") return ReadArray(cursor, [&] { return ReadAsset(cursor, report.assets.emplace_back()); });
    if (key == "orphans") {
      report.listsOrphans = true;
      return ReadArray(cursor, [&] { return ReadText(cursor, report.orphans.emplace_back()); });
    }
    return cursor.Skip();
  });
  if (read && !sawFormat) problem = "not a check report (no format)";
  if (read && cursor.AtEnd() && problem.empty()) return report;
  if (problem.empty()) {
    problem = cursor.Failed() ? cursor.Problem() : "not a check report of the expected shape";
  }
  return brantic::IllegalArgumentError(std::string(source) + ": " +
                                       brantic::JsonCursor::LineAndColumn(text, cursor.Offset()) + ": " + problem);
}

}  // namespace kv
