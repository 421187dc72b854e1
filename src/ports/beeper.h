#pragma once

namespace velmora {

// The short tone of a wrong answer.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void Beep(int frequencyHz, int durationMs) = 0;
};

}  // namespace velmora
