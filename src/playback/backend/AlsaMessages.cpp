#include "playback/backend/AlsaMessages.h"

#include <alsa/asoundlib.h>

namespace sonkora::backend {

namespace {

void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void QuietAlsaMessages() {
    snd_lib_error_set_handler(IgnoreAlsaMessage);
}

}  // namespace sonkora::backend
