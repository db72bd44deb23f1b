// The wavetable LFO unit, reached under its older name.
#pragma once

#include "effects/wavetable_lfo/wavetable_lfo.h"
