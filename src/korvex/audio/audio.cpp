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


constexpr const char* unpickle_name = "__pyx_unpickle_Audio";

// --- device ------------------------------------------------------------------------

// raylib deadlocks in CloseAudioDevice once InitAudioDevice has run a second
// time on an open device, so opening an open device does nothing.
constexpr auto init_sig = signature("init");
constexpr auto close_sig = signature("close");
constexpr auto unpickle_sig = signature(unpickle_name, "__pyx_type", "__pyx_checksum", "__pyx_state");

PyObject* method_init(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    if (!parse(init_sig, args, nargs, kwnames)) return nullptr;
    if (!IsAudioDeviceReady()) InitAudioDevice();
    Py_RETURN_NONE;
}

// Closing a closed device is harmless in raylib (it only warns).
PyObject* method_close(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    if (!parse(close_sig, args, nargs, kwnames)) return nullptr;
    CloseAudioDevice();
    Py_RETURN_NONE;
}

PyObject* get_ready(PyObject*, void*) { return PyBool_FromLong(IsAudioDeviceReady()); }

// raylib keeps the volume in single precision: it is widened on the way out
// and rounded on the way in, where the conversion happens before raylib is
// called so that a failure leaves the volume as it was.
PyObject* get_master_volume(PyObject*, void*) { return PyFloat_FromDouble(static_cast<double>(GetMasterVolume())); }

int set_master_volume(PyObject*, PyObject* value, void*) {
    if (value == nullptr) return korvex::raise_property_delete();
    float volume;
    if (!korvex::to_float(value, volume)) return -1;
    SetMasterVolume(volume);
    return 0;
}

// --- pickling ------------------------------------------------------------------------

PyObject* method_reduce(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    if (!parse(korvex::reduce_sig, args, nargs, kwnames)) return nullptr;
    return korvex::reduce_stateless(self, unpickle_name);
}

PyObject* method_setstate(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* state = nullptr;
    if (!parse(korvex::setstate_sig, args, nargs, kwnames, state)) return nullptr;
    return korvex::apply_stateless_state(self, state);
}

PyObject* unpickle(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject *type = nullptr, *checksum = nullptr, *state = nullptr;
    if (!parse(unpickle_sig, args, nargs, kwnames, type, checksum, state)) return nullptr;
    return korvex::rebuild_stateless(type, checksum, state);
}

auto methods = korvex::terminated<PyMethodDef>(
    korvex::fastcall_method<init_sig,
                            "Opens the audio device (raylib InitAudioDevice); returns None.\n\n"
                            "Does nothing when the device is already open. Check ready afterwards: raylib "
                            "reports a failure only there.">(method_init),
    korvex::fastcall_method<close_sig,
                            "Closes the audio device (raylib CloseAudioDevice); returns None.\n\n"
                            "Harmless when the device is closed.">(method_close),
    korvex::fastcall_method<korvex::reduce_sig,
                            "Pickling support: an Audio is rebuilt from its type alone.\n\n"
                            "A subclass instance's __dict__ travels along.">(method_reduce),
    korvex::fastcall_method<korvex::setstate_sig,
                            "Pickling support: restores the instance dict of a subclass, if any.">(method_setstate));

auto getsets = korvex::terminated<PyGetSetDef>(
    korvex::property("ready", get_ready,
                     korvex::docstring<"True while the audio device is open (read-only).\n\n"
                                       "raylib's IsAudioDeviceReady.">.data()),
    korvex::property("master_volume", get_master_volume, set_master_volume,
                     korvex::docstring<"The master volume, a float (raylib GetMasterVolume).\n\n"
                     "Assigning converts by the float protocol and rounds to single precision; the value is "
                     "passed to raylib unchecked (0.0 to 1.0 is the useful range). Deleting raises "
                     "NotImplementedError.">.data()));

auto module_functions = korvex::terminated<PyMethodDef>(korvex::fastcall_method<
    unpickle_sig,
    "Rebuilds a pickled Audio (or subclass) without calling __init__.\n\n"
    "Raises pickle.PickleError when the checksum is not one this module wrote.">(unpickle));

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
