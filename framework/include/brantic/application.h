// Where the application lives. Any thread.
#pragma once

#include <cstdint>

#include "brantic/url.h"

namespace brantic {

enum class ApplicationLocation : int32_t {
  Executable = 1,   // the program file
  Application = 4,  // the folder that holds the program and its modules/ folder
};

Url GetApplicationLocation(ApplicationLocation kind);

}  // namespace brantic
