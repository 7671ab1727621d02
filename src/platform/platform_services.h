// Each backend provides this factory for the program's main().
#pragma once

#include <memory>

#include "platform/window_services.h"

namespace vornic {

std::unique_ptr<WindowServices> CreatePlatformServices(int argc, char** argv);

}  // namespace vornic
