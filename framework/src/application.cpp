#include "brantic/application.h"

#include <limits.h>
#include <unistd.h>

#include <string>

namespace brantic {

Url GetApplicationLocation(ApplicationLocation kind) {
  char buffer[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return Url();
  const Url program = Url::FromSystemPath(std::string_view(buffer, static_cast<size_t>(length)));
  return kind == ApplicationLocation::Executable ? program : program.GetDirectory();
}

}  // namespace brantic
