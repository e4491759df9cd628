// korvex.audio.audio: Audio, a handle on raylib's process-wide audio device.
// The object holds nothing; every operation goes straight to raylib, and all
// instances act on the same device.
#include "korvex/audio/audio.hpp"

#include <raylib.h>

#include "korvex/common/args.hpp"
#include "korvex/common/convert.hpp"
#include "korvex/common/errors.hpp"
#include "korvex/common/module.hpp"
#include "korvex/common/pickle.hpp"
#include "korvex/common/properties.hpp"
#include "korvex/common/types.hpp"

namespace {

using korvex::parse;
using korvex::signature;


// frozen: the name of the module function that rebuilds a pickled Audio (and
// its parameters' names); pickles refer to it.
constexpr const char* unpickle_name = "__pyx_unpickle_Audio";

// --- device ------------------------------------------------------------------------

// raylib deadlocks in CloseAudioDevice once InitAudioDevice has run a second
// time on an open device, so opening an open device does nothing.
void open_device(PyObject*) {
    if (!IsAudioDeviceReady()) InitAudioDevice();
}

constexpr auto init = korvex::method(signature("init"), open_device,
                                     "Opens the audio device (raylib InitAudioDevice); returns None.\n\n"
                                     "Does nothing when the device is already open. Check ready afterwards: "
                                     "raylib reports a failure only there.");
// Closing a closed device is harmless in raylib (it only warns).
constexpr auto close = korvex::method(signature("close"), [](PyObject*) { CloseAudioDevice(); },
                                      "Closes the audio device (raylib CloseAudioDevice); returns None.\n\n"
                                      "Harmless when the device is closed.");

// raylib keeps the volume in single precision: it is widened on the way out
// and rounded on the way in, where the conversion happens before raylib is
// called so that a failure leaves the volume as it was.
constexpr auto ready = korvex::property("ready", [](PyObject*) { return IsAudioDeviceReady(); },
                                        "True while the audio device is open (read-only).\n\n"
                                        "raylib's IsAudioDeviceReady.");
constexpr auto master_volume = korvex::property(
    "master_volume", [](PyObject*) { return GetMasterVolume(); },
    [](PyObject*, float volume) { SetMasterVolume(volume); },
    "The master volume, a float (raylib GetMasterVolume).\n\n"
    "Assigning converts by the float protocol and rounds to single precision; the value is passed to raylib "
    "unchecked (0.0 to 1.0 is the useful range). Deleting raises NotImplementedError.");

// --- pickling ------------------------------------------------------------------------

constexpr auto reduce = korvex::method(
    korvex::reduce_sig, [](PyObject* self) { return korvex::reduce_stateless(self, unpickle_name); },
    "Pickling support: an Audio is rebuilt from its type alone.\n\n"
    "A subclass instance's __dict__ travels along.");
constexpr auto setstate = korvex::method(korvex::setstate_sig, korvex::apply_stateless_state,
                                         "Pickling support: restores the instance dict of a subclass, if any.");
constexpr auto unpickle = korvex::function(
    signature(unpickle_name, "__pyx_type", "__pyx_checksum", "__pyx_state"), korvex::rebuild_stateless,
    "Rebuilds a pickled Audio (or subclass) without calling __init__.\n\n"
    "Raises pickle.PickleError when the checksum is not one this module wrote.");

auto methods = korvex::method_table<init, close, reduce, setstate>();
auto getsets = korvex::property_table<ready, master_volume>();
auto module_functions = korvex::method_table<unpickle>();

// Creation and initialisation are object's own, which refuse arguments with
// the interpreter's usual message. A static type does not inherit object's
// creation, so it is named here.
PyTypeObject audio_type = korvex::static_type<AudioObject>({
    .name = "korvex.audio.audio.Audio",
    .subclassable = true,
    .lifecycle = {.create = PyBaseObject_Type.tp_new},
    .methods = methods.data(),
    .getset = getsets.data(),
});

int exec_audio(PyObject* module) {
    if (korvex::publish_type(module, &audio_type, nullptr) < 0) return -1;
    return PyModule_AddFunctions(module, module_functions.data());
}

}  // namespace

KORVEX_MODULE(audio, exec_audio,
              "Audio, a handle on raylib's audio device and its master volume.\n\n"
              "Audio(): a handle on raylib's single, process-wide audio device.\n\n"
              "All instances act on the same device: init() opens it, close() closes it, ready tells whether "
              "it is open, master_volume reads and sets the volume. Freeing an Audio does not close the "
              "device. Pickles by type.")
