"""Audio (korvex.audio.audio): the device, the master volume and pickling.

The device is raylib's (miniaudio); tests/conftest.py routes ALSA's default PCM
to the null device, so it opens without sound hardware."""

import gc
import pickle

import pytest

import korvex.audio.audio as audio_module
from korvex.audio.audio import Audio
from support import BadFloat, Boom, bits, f32, no_new_attribute, not_writable, raises_exactly

CHECKSUM = 0xE3B0C44
unpickle = audio_module.__pyx_unpickle_Audio


@pytest.fixture
def device():
    audio = Audio()
    audio.init()
    assert audio.ready is True
    yield audio
    audio.close()


def test_ready_follows_init_and_close():
    first, second = Audio(), Audio()
    first.close()  # harmless on a closed device
    assert first.ready is False and second.ready is False
    first.init()
    assert first.ready is True and second.ready is True
    second.close()
    assert first.ready is False and second.ready is False


def test_a_fresh_process_starts_closed_and_survives_double_init(run_python):
    # Opening an open device and then closing it deadlocks inside raylib, so a
    # second init() must not reach it: raylib logs one initialisation.
    run = run_python(
        """
        from korvex.audio.audio import Audio
        audio = Audio()
        result(audio.ready)
        audio.init()
        audio.init()
        Audio().init()
        result(audio.ready)
        audio.close()
        result(audio.ready)
        audio.close()
        audio.init()
        result(audio.ready)
        audio.close()
        """,
        log_level=3,
        timeout=60,
    )
    assert run.results == [False, True, False, True]
    assert run.stdout.count("AUDIO: Device initialized successfully") == 2
    assert run.stdout.count("AUDIO: Device closed successfully") == 2


@pytest.mark.parametrize("value", [0.25, 0.0, 1.0, 0.5, 2**-20])
def test_master_volume_round_trip_exact(device, value):
    device.master_volume = value
    assert bits(device.master_volume) == bits(value)


@pytest.mark.parametrize("value", [0.1, 0.3, 1 / 3, 0.7])
def test_master_volume_is_single_precision(device, value):
    device.master_volume = value
    result = device.master_volume
    assert type(result) is float
    assert bits(result) == bits(f32(value)) and result != value


@pytest.mark.parametrize("value, stored", [(1.5, 1.5), (True, 1.0), (0, 0.0), (3, 3.0)])
def test_master_volume_has_no_range_check(device, value, stored):
    device.master_volume = value
    assert bits(device.master_volume) == bits(stored)


def test_master_volume_shared_by_instances(device):
    device.master_volume = 0.75
    assert Audio().master_volume == 0.75


@pytest.mark.parametrize(
    "value, error, message",
    [
        ("0.5", TypeError, "must be real number, not str"),
        (None, TypeError, "must be real number, not NoneType"),
        (BadFloat(), Boom, "float"),
        (10**400, OverflowError, "int too large to convert to float"),
    ],
)
def test_master_volume_conversion_failure_leaves_volume(device, value, error, message):
    device.master_volume = 0.25
    with raises_exactly(error, message):
        device.master_volume = value
    assert device.master_volume == 0.25


def test_master_volume_delete(device):
    with raises_exactly(NotImplementedError, "__del__"):
        del device.master_volume


def test_ready_is_read_only():
    with raises_exactly(AttributeError, not_writable("korvex.audio.audio.Audio", "ready")):
        Audio().ready = True


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda a: a.init(1), "init() takes exactly 0 positional arguments (1 given)"),
        (lambda a: a.close(1, 2), "close() takes exactly 0 positional arguments (2 given)"),
        (lambda a: a.init(x=1), "init() got an unexpected keyword argument 'x'"),
        (lambda a: a.close(x=1), "close() got an unexpected keyword argument 'x'"),
    ],
)
def test_argument_errors(call, message):
    with raises_exactly(TypeError, message):
        call(Audio())


@pytest.mark.parametrize("args, kwargs", [((1,), {}), ((), {"volume": 1})])
def test_constructor_takes_no_arguments(args, kwargs):
    with raises_exactly(TypeError, "korvex.audio.audio.Audio() takes no arguments"):
        Audio(*args, **kwargs)


def test_type_shape():
    audio = Audio()
    assert not gc.is_tracked(audio)
    assert not hasattr(audio, "__dict__")
    with raises_exactly(AttributeError, no_new_attribute("korvex.audio.audio.Audio", "extra")):
        audio.extra = 1
    assert Audio.__doc__ is None

    class Sub(Audio):
        pass

    assert isinstance(Sub(), Audio)


# --- pickling ---------------------------------------------------------------------


def test_reduce_of_a_plain_audio():
    audio = Audio()
    assert audio.__reduce__() == (unpickle, (Audio, CHECKSUM, ()))
    assert not hasattr(Audio, "__reduce_korvex__") and not hasattr(Audio, "__setstate_korvex__")
    assert "__reduce__" in Audio.__dict__ and "__setstate__" in Audio.__dict__


class Counted(Audio):
    inits = 0

    def __init__(self, label):
        type(self).inits += 1
        self.label = label


def test_pickle_round_trip_without_init():
    restored = pickle.loads(pickle.dumps(Audio()))
    assert type(restored) is Audio

    counted = Counted("main")
    assert counted.__reduce__() == (unpickle, (Counted, CHECKSUM, None), ({"label": "main"},))
    restored = pickle.loads(pickle.dumps(counted))
    assert type(restored) is Counted and restored.label == "main"
    assert Counted.inits == 1


@pytest.mark.parametrize("checksum", [0xE3B0C44, 0xDA39A3E, 0xD41D8CD])
def test_unpickle_accepts_the_three_checksums(checksum):
    assert type(unpickle(Audio, checksum, ())) is Audio
    restored = unpickle(__pyx_type=Counted, __pyx_checksum=checksum, __pyx_state=({"label": 7},))
    assert restored.label == 7


@pytest.mark.parametrize(
    "checksum, shown", [(0, "0x0"), (0xE3B0C45, "0xe3b0c45"), (-1, "0x-1"), (2**40, "0x10000000000")]
)
def test_unpickle_rejects_other_checksums(checksum, shown):
    message = f"Incompatible checksums ({shown} vs (0xe3b0c44, 0xda39a3e, 0xd41d8cd) = ())"
    with raises_exactly(pickle.PickleError, message):
        unpickle(Audio, checksum, None)


def test_unpickle_checksum_conversion_errors():
    with raises_exactly(OverflowError, "int too big to convert"):
        unpickle(Audio, 2**70, ())
    # The checksum is an integer: a string is not parsed, a float goes through __int__.
    with raises_exactly(TypeError, 'an integer is required'):
        unpickle(Audio, str(0xE3B0C44), ())
    assert type(unpickle(Audio, float(0xE3B0C44), ())) is Audio


@pytest.mark.parametrize(
    "args, kwargs, message",
    [
        ((Audio, CHECKSUM), {}, "__pyx_unpickle_Audio() takes exactly 3 positional arguments (2 given)"),
        ((Audio, CHECKSUM, (), 1), {}, "__pyx_unpickle_Audio() takes exactly 3 positional arguments (4 given)"),
        ((Audio, CHECKSUM, ()), {"__pyx_type": Audio},
         "__pyx_unpickle_Audio() got multiple values for keyword argument '__pyx_type'"),
        ((Audio, CHECKSUM, ()), {"state": 1}, "__pyx_unpickle_Audio() got an unexpected keyword argument 'state'"),
    ],
)
def test_unpickle_argument_errors(args, kwargs, message):
    with raises_exactly(TypeError, message):
        unpickle(*args, **kwargs)


def test_state_must_be_a_tuple():
    with raises_exactly(TypeError, "Expected tuple, got list"):
        unpickle(Audio, CHECKSUM, [{"a": 1}])
    with raises_exactly(TypeError, "Expected tuple, got int"):
        Audio().__setstate__(5)
    with raises_exactly(TypeError, "object of type 'NoneType' has no len()"):
        Audio().__setstate__(None)  # accepted by the hook, rejected when applied


def test_setstate_updates_dict_only_when_present():
    Audio().__setstate__(())
    Audio().__setstate__(({},))  # a false extra item is ignored
    with raises_exactly(AttributeError, "'korvex.audio.audio.Audio' object has no attribute '__dict__'"):
        Audio().__setstate__(({"x": 1},))
    counted = Counted.__new__(Counted)
    counted.__setstate__(({"label": "a"},))
    assert counted.label == "a"

    class Mapping:
        def keys(self):
            return ["label"]

        def __getitem__(self, key):
            return "from mapping"

    counted.__setstate__((Mapping(),))
    assert counted.label == "from mapping"


def test_setstate_argument_count():
    with raises_exactly(TypeError, "__setstate_korvex__() takes exactly 1 positional argument (0 given)"):
        Audio().__setstate__()
