// The two triangle counters that make things blink, breathe and change colour.
#include "game/phases.h"

namespace kestal {

void stepPulse(GameState& s) {
  s.pulse += s.pulseStep;
  if (s.pulse == 40) s.pulseStep = -1;
  if (s.pulse == 0) s.pulseStep = 1;
}

void stepColourPulse(GameState& s) {
  s.colourPulse = static_cast<std::int16_t>(s.colourPulse + s.colourPulseStep);
  if (s.colourPulse == 400) s.colourPulseStep = -1;
  if (s.colourPulse == 0) s.colourPulseStep = 1;
}

}  // namespace kestal
