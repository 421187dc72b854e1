#pragma once

#include <array>

namespace velmora {

extern const std::array<const char*, 128> kInstrumentNames;

}  // namespace velmora
