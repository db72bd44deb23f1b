// The tone stack unit, reached under its older name.
#pragma once

#include "effects/tone_stack/tone_stack.h"
