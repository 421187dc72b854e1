#include "ports/wall_clock.h"

#include <ctime>

namespace velmora {

TimeOfDay SystemWallClock::now() const {
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace velmora
