#pragma once

namespace velmora {

struct TimeOfDay {
    int hour = 0;  // 0..23
    int minute = 0;
    int second = 0;
};

// The local time of day, for the practice timer's clock texts.
class WallClock {
public:
    virtual ~WallClock() = default;
    virtual TimeOfDay now() const = 0;
};

// The system's local time.
class SystemWallClock final : public WallClock {
public:
    TimeOfDay now() const override;
};

}  // namespace velmora
