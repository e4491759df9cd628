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
PyObject* method_init(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    if (!parse(signature("init"), args, nargs, kwnames)) return nullptr;
    if (!IsAudioDeviceReady()) InitAudioDevice();
    Py_RETURN_NONE;
}

// Closing a closed device is harmless in raylib (it only warns).
PyObject* method_close(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    if (!parse(signature("close"), args, nargs, kwnames)) return nullptr;
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
    if (!parse(signature("__reduce_korvex__"), args, nargs, kwnames)) return nullptr;
    return korvex::reduce_stateless(self, unpickle_name);
}

PyObject* method_setstate(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* state = nullptr;
    if (!parse(signature("__setstate_korvex__", "__pyx_state"), args, nargs, kwnames, state)) return nullptr;
    return korvex::apply_stateless_state(self, state);
}

PyObject* unpickle(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject *type = nullptr, *checksum = nullptr, *state = nullptr;
    if (!parse(signature(unpickle_name, "__pyx_type", "__pyx_checksum", "__pyx_state"), args, nargs, kwnames, type,
               checksum, state))
        return nullptr;
    return korvex::rebuild_stateless(type, checksum, state);
}

auto methods = korvex::terminated<PyMethodDef>(
    korvex::fastcall_method("init", method_init),
    korvex::fastcall_method("close", method_close),
    korvex::fastcall_method("__reduce_korvex__", method_reduce),
    korvex::fastcall_method("__setstate_korvex__", method_setstate));

auto getsets = korvex::terminated<PyGetSetDef>(
    korvex::property("ready", get_ready),
    korvex::property("master_volume", get_master_volume, set_master_volume));

auto module_functions = korvex::terminated<PyMethodDef>(korvex::fastcall_method(unpickle_name, unpickle));

// Creation and initialisation are object's own, which refuse arguments with
// the interpreter's usual message. A static type does not inherit object's
// creation, so it is named here.
PyTypeObject audio_type = korvex::static_type({
    .name = "korvex.audio.audio.Audio",
    .basicsize = sizeof(AudioObject),
    .flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE,
    .methods = methods.data(),
    .getset = getsets.data(),
    .new_ = PyBaseObject_Type.tp_new,
});

int exec_audio(PyObject* module) {
    if (korvex::publish_type(module, &audio_type, nullptr) < 0) return -1;
    return PyModule_AddFunctions(module, module_functions.data());
}

}  // namespace

KORVEX_MODULE(audio, exec_audio)
