# SPDX-License-Identifier: MIT
"""The fuzz corpus, and inputs made from it, fed to every reader the module
exposes: each gives a List or a ValueError/TypeError, never a crash, and every
record of what it gives can be read."""
import random
import re

import pytest

import horodex

RATES = ("25", "29.97df", "119.88df", "23.976")


def corpus(root):
    return sorted(p for p in (root / "tests" / "fuzz" / "corpus").rglob("*") if p.is_file())


def mutants(seeds, count, rng):
    """Byte flips, insertions of time-like and hostile bytes, splices and cuts of the seeds."""
    pieces = [b":", b";", b".", b"\0", b"\xff", b"\xfe\xff", b"-", b"99", b"\n", b"\r", b"<", b'"', b"{", b"0" * 30,
              b"00:00:60;00", b"\xe2\x80\x93", b"\t", b"1/0s", b"NaN"]
    for _ in range(count):
        data = bytearray(rng.choice(seeds))
        for _ in range(rng.randint(1, 6)):
            kind = rng.randrange(5)
            at = rng.randint(0, len(data))
            if kind == 0 and data:
                data[min(at, len(data) - 1)] = rng.randrange(256)
            elif kind == 1:
                data[at:at] = rng.choice(pieces)
            elif kind == 2:
                other = rng.choice(seeds)
                data[at:] = other[rng.randint(0, len(other)):]
            elif kind == 3:
                del data[at:at + rng.randint(1, 20)]
            else:
                data[at:at] = data[max(0, at - 50):at] * rng.randint(1, 4)
        yield bytes(data)


def read_everything(lst):
    entries, errors, inputs = list(lst.entries), list(lst.errors), lst.inputs
    assert len(entries) == sum(i.entries for i in inputs) and len(errors) == sum(i.errors for i in inputs)
    assert lst.ok == (not errors)
    running = None
    for e in entries:
        running = e.duration if running is None else running + e.duration
        assert e.running == running and e.duration.rate == lst.rate
    for e in errors:
        assert re.fullmatch(r"[a-z]+(-[a-z]+)*", e.code) and e.message and e.code != "none"
    repr(lst), lst.tracks, lst.total, lst.unique, lst.length


def test_the_corpus_and_its_mutants_through_read_text(root):
    seeds = [p.read_bytes() for p in corpus(root)]
    assert len(seeds) >= 30, "the fuzz corpus is missing"
    rng = random.Random(2026)
    inputs = seeds + list(mutants(seeds, 3000, rng))
    for k, data in enumerate(inputs):
        rate = RATES[k % len(RATES)] if k % 5 else None
        read_everything(horodex.read_text(data, rate=rate))
        read_everything(horodex.read_text(data.decode("latin-1"), rate=rate))


def test_the_corpus_and_its_mutants_as_durations_and_timebases(root):
    seeds = [p.read_bytes() for p in corpus(root) if p.stat().st_size < 200]
    rng = random.Random(25)
    for k, data in enumerate(seeds + list(mutants(seeds, 3000, rng))):
        text = data.decode("utf-8", "replace")
        rate = RATES[k % len(RATES)]
        for make in (lambda: horodex.Duration(text, rate), lambda: horodex.Duration.from_seconds(text, rate),
                     lambda: horodex.Timebase(text)):
            try:
                value = make()
            except ValueError:
                continue
            assert eval(repr(value), vars(horodex)) == value


@pytest.mark.parametrize("make", [
    lambda: horodex.List(), lambda: horodex.Records(), lambda: object.__new__(horodex.Duration),
    lambda: type("Sub", (horodex.Duration,), {}), lambda: horodex.Duration.__new__(horodex.Duration),
    lambda: horodex.Timebase.__new__(horodex.Timebase, 25, 1, 2), lambda: horodex.read_text(b"", rate=[]),
])
def test_misuse_raises_type_error(make):
    with pytest.raises(TypeError):
        make()
