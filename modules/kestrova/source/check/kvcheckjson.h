// The check's JSON: the report as a pipeline reads it (described by docs/check.schema.json),
// and read back, so that shard reports can be merged. The same report always gives the same
// bytes: lists are sorted and nothing depends on the time or the machine's state.
#pragma once

#include <string>
#include <string_view>

#include "brantic/result.h"
#include "check/kvcheckreport.h"

namespace kv {

inline constexpr std::string_view kCheckFormat = "bx3-check";
inline constexpr int kCheckVersion = 1;

// The report as JSON, indented by two, with its summary. Call NormalizeReport first.
std::string CheckReportJson(const KvCheckReport& report);
// A report that CheckReportJson wrote (its summary is not read: it is worked out again).
// `source` names the text in messages.
brantic::Result<KvCheckReport> ReadCheckReportJson(std::string_view text, std::string_view source);

}  // namespace kv
