// Declarations of korvex.audio.audio for the modules that use Audio: the
// object layout. Audio is a stateless handle on raylib's single audio device,
// so an instance holds nothing beyond the object header and there is no
// native method table.
#pragma once

#include "korvex/common/python.hpp"

struct AudioObject {
    PyObject_HEAD
};

inline constexpr const char* audio_module_name = "korvex.audio.audio";
