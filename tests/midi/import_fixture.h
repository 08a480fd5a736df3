#pragma once
// The import helpers live with the other helpers of the MIDI layer's tests.
#include "midi/pass_fixture.h"
