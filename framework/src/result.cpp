#include "brantic/result.h"

#include <cstring>

namespace brantic {

const char* ErrorKindName(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::NullPointer: return "null pointer";
    case ErrorKind::OutOfMemory: return "out of memory";
    case ErrorKind::IllegalState: return "illegal state";
    case ErrorKind::IllegalArgument: return "illegal argument";
    case ErrorKind::Io: return "i/o error";
    case ErrorKind::Unsupported: return "unsupported";
    case ErrorKind::Cancelled: return "cancelled";
  }
  return "error";
}

std::string Error::ToText() const {
  const char* slash = std::strrchr(file_, '/');
  std::string text = ErrorKindName(kind_);
  if (!message_.empty() && message_ != text) text += ": " + message_;
  text += " (" + std::string(slash ? slash + 1 : file_) + ":" + std::to_string(line_) + ")";
  return text;
}

}  // namespace brantic
