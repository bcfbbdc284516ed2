# SPDX-License-Identifier: MIT
"""read and read_text: each format, totals worked out by hand, and the same
values as horodex-tc sum --json for the same files and rate, key by key."""
import collections.abc
import json
import os
import pathlib
import subprocess
import threading
import time

import pytest

import horodex
from horodex import Duration, Timebase

# Small inputs of each format with totals counted by hand (frames at the rate given).
SAMPLES = {
    "acts.csv": ("list", "25", None, (
        "Act 1,00:12:34:05\nAct 2,00:10:00:00\n# the tag is timed by hand\n"
        "Tag,-00:00:05:00\nAct 3,00:20:00:00 00:31:10:12\n"),
        # 12:34:05 + 10:00:00 - 00:05:00 + (31:10:12 - 20:00:00)
        18855 + 15000 - 125 + 16762),
    "reel.edl": ("edl", "25", None, (
        "TITLE: REEL\nFCM: NON-DROP FRAME\n"
        "001  AX       V     C        00:00:00:00 00:00:05:00 01:00:00:00 01:00:05:00\n"
        "002  AX       A     C        00:00:00:00 00:00:02:00 01:00:02:00 01:00:04:00\n"),
        125 + 50),
    "cut.fcpxml": ("fcpxml", None, "25", (
        '<?xml version="1.0" encoding="UTF-8"?>\n<fcpxml version="1.10">\n'
        '<resources><format id="r1" frameDuration="1/25s"/><asset id="a1" name="A"/></resources>\n'
        '<library><event name="E"><project name="Cut"><sequence format="r1"><spine>\n'
        '<asset-clip ref="a1" offset="0s" name="A" duration="10s"/>\n'
        '<asset-clip ref="a1" offset="10s" name="B" duration="5s"/>\n'
        '</spine></sequence></project></event></library></fcpxml>\n'),
        250 + 125),
    "seq.xml": ("xmeml", None, "25", (
        '<?xml version="1.0" encoding="UTF-8"?>\n<xmeml version="4"><sequence><name>Seq</name>\n'
        '<rate><timebase>25</timebase><ntsc>FALSE</ntsc></rate>\n<media><video><track>\n'
        '<clipitem><name>A</name><start>0</start><end>50</end></clipitem>\n'
        '<clipitem><name>B</name><start>50</start><end>100</end></clipitem>\n'
        '</track></video></media></sequence></xmeml>\n'),
        100),
    "cut.otio": ("otio", None, "24", json.dumps({
        "OTIO_SCHEMA": "Timeline.1", "name": "T",
        "tracks": {"OTIO_SCHEMA": "Stack.1", "children": [{"OTIO_SCHEMA": "Track.1", "kind": "Video", "children": [
            {"OTIO_SCHEMA": "Clip.2", "name": "A", "source_range": {"OTIO_SCHEMA": "TimeRange.1",
                "start_time": {"OTIO_SCHEMA": "RationalTime.1", "rate": 24, "value": 0},
                "duration": {"OTIO_SCHEMA": "RationalTime.1", "rate": 24, "value": 48}}},
            {"OTIO_SCHEMA": "Clip.2", "name": "B", "source_range": {"OTIO_SCHEMA": "TimeRange.1",
                "start_time": {"OTIO_SCHEMA": "RationalTime.1", "rate": 24, "value": 0},
                "duration": {"OTIO_SCHEMA": "RationalTime.1", "rate": 24, "value": 24}}}]}]}}),
        48 + 24),
    "log.ale": ("ale", None, "23.976", (
        "Heading\nFIELD_DELIM\tTABS\nFPS\t23.98\n\nColumn\nName\tStart\tEnd\tDuration\n\nData\n"
        "A\t01:00:00:00\t01:00:10:00\t\nB\t02:00:00:00\t\t00:00:04:00\n"),
        240 + 96),
    # Cues in running time, each end rounded once at 25: 4.5 s is 112.5 frames, 113.
    "cues.srt": ("srt", "25", None, (
        "1\n00:00:01,000 --> 00:00:04,500\nHi\n\n2\n00:00:05,000 --> 00:00:06,000\nMeet me at 12:30\n"),
        (113 - 25) + (150 - 125)),
    "cues.vtt": ("vtt", "25", None, (
        "WEBVTT\n\nNOTE at 00:00:09.000\n\n00:01.000 --> 00:04.500 align:start\nHi\n\n"
        "00:00:05.000 --> 00:00:06.000\nBye\n"),
        (113 - 25) + (150 - 125)),
}


@pytest.fixture(scope="module")
def samples(tmp_path_factory):
    folder = tmp_path_factory.mktemp("samples")
    for name, (_, _, _, text, _) in SAMPLES.items():
        (folder / name).write_text(text, encoding="utf-8")
    bundle = folder / "Cut.fcpxmld"
    bundle.mkdir()
    (bundle / "Info.fcpxml").write_text(SAMPLES["cut.fcpxml"][3], encoding="utf-8")
    return folder


def project_samples(root):
    """The project's own sample files: the tape's example reel and the fuzz seeds of each reader."""
    corpus = root / "tests" / "fuzz" / "corpus"
    files = [root / "tape" / "example-reel.edl"]
    for reader in ("fuzz_list", "fuzz_fcpxml", "fuzz_xmeml", "fuzz_otio", "fuzz_ale", "fuzz_text"):
        files += sorted((corpus / reader).iterdir())
    return [str(f) for f in files]


def as_json(lst):
    """A List in the shape of sum --json."""
    def duration(d):
        return None if d is None else {"label": d.label, "frames": d.frames, "realtime": d.realtime}
    return {
        "rate": str(lst.rate), "rate_from": lst.rate_from, "lines": lst.lines, "entries": len(lst.entries),
        "errors": [{"file": e.file, "line": e.line, "column": e.column, "text": e.text, "why": e.message}
                   for e in lst.errors],
        "total": duration(lst.total), "unique": duration(lst.unique), "length": duration(lst.length),
        "tracks": {name: {"total": duration(t.total), "unique": duration(t.unique)} for name, t in lst.tracks.items()},
        "inputs": [{"file": i.file, "name": i.name, "format": i.format,
                    "rate": None if i.rate is None else str(i.rate), "entries": i.entries, "errors": i.errors,
                    "left_out": i.left_out, "length": duration(i.length), "own_length": duration(i.own_length),
                    "total": duration(i.total),
                    "unique": duration(i.unique)} for i in lst.inputs],
    }


def run_sum(horodex_tc, files, rate=None, environment=None, json_output=True):
    env = {k: v for k, v in os.environ.items() if k != "HORODEX_RATE"}
    env.update(environment or {})
    args = [horodex_tc] + (["--json"] if json_output else []) + (["-r", rate] if rate else []) + ["sum", "--"] + files
    done = subprocess.run(args, capture_output=True, env=env, check=False)
    assert done.returncode in (0, 1), done.stderr
    return done


def assert_same_as_sum(horodex_tc, files, rate=None, environment=None, monkeypatch=None):
    done = run_sum(horodex_tc, files, rate, environment)
    expected = json.loads(done.stdout)
    for key, value in (environment or {}).items():
        monkeypatch.setenv(key, value)
    lst = horodex.read(*files, rate=rate)
    got = as_json(lst)
    assert list(got) == list(expected), "keys differ: the module lags sum --json"
    for key in expected:
        assert got[key] == expected[key], key
    assert list(got["tracks"]) == list(expected["tracks"])  # file order
    assert lst.ok == (done.returncode == 0)
    assert_entries_match_tape(horodex_tc, files, rate, environment, lst)


def assert_entries_match_tape(horodex_tc, files, rate, environment, lst):
    """Each entry against its line of sum's tape: where, in, out, duration and running total."""
    tape = run_sum(horodex_tc, files, rate, environment, json_output=False).stdout.decode().splitlines()
    for entry, line in zip(lst.entries, tape):
        where = f"{entry.file}:{entry.line}" if len(files) > 1 else str(entry.line)
        times = [entry.duration.label, entry.running.label]
        if entry.in_ is not None:
            times = [entry.in_.label, entry.out.label] + times
        tokens = line.split()
        assert tokens[0] == where and all(t in tokens for t in times), (line, entry)
        if entry.label:
            assert line.endswith(entry.label), (line, entry)


def test_the_issue_example(samples):
    lst = horodex.read_text("Act 1 00:12:34:05\nAct 2 00:10:00:00\n", rate="25")
    assert (lst.rate, lst.rate_from) == (Timebase("25"), "option")
    assert lst.total == Duration("00:22:34:05", "25") and lst.unique is None and lst.length is None
    assert lst.tracks == {} and lst.ok and list(lst.errors) == []
    assert [(e.line, e.label, e.in_, e.duration.label, e.running.label) for e in lst.entries] == [
        (1, "Act 1", None, "00:12:34:05", "00:12:34:05"), (2, "Act 2", None, "00:10:00:00", "00:22:34:05")]
    assert lst.inputs == [
        horodex.Input(None, None, "list", None, 2, 0, 0, None, None, Duration(18855 + 15000, "25"), None)]


@pytest.mark.parametrize("name", SAMPLES)
def test_each_format(samples, name, horodex_tc):
    form, rate, own, text, frames = SAMPLES[name]
    path = str(samples / name)
    lst = horodex.read(path, rate=rate)
    assert lst.ok and [i.format for i in lst.inputs] == [form]
    assert lst.rate == Timebase(rate or own) and lst.rate_from == ("option" if rate else "input")
    assert lst.total.frames == frames
    assert lst.inputs[0].rate == (Timebase(own) if own else None)
    assert all(e.file == path for e in lst.entries)
    assert as_json(horodex.read_text(text, rate=rate))["total"] == as_json(lst)["total"]
    assert_same_as_sum(horodex_tc, [path], rate)


def test_tracks_unique_and_length_of_an_edl(samples):
    lst = horodex.read(samples / "reel.edl", rate="25")  # os.PathLike
    assert lst.tracks == {"V": horodex.Track(Duration(125, "25"), Duration(125, "25")),
                          "A": horodex.Track(Duration(50, "25"), Duration(50, "25"))}
    assert lst.unique == Duration(125, "25") and lst.length == Duration(125, "25")
    assert lst.entries[1].track == "A" and lst.entries[1].in_ == Duration("01:00:02:00", "25")
    assert lst.entries[-1] == lst.entries[1] and lst.entries[::-1][0] == lst.entries[1]
    assert len(lst.entries[5:]) == 0
    for index, error in ((2, IndexError), (-3, IndexError), (2**70, IndexError), ("0", TypeError), (0.0, TypeError)):
        with pytest.raises(error):
            lst.entries[index]


def test_a_bundle_is_read_through_its_info_file(samples, horodex_tc):
    lst = horodex.read(samples / "Cut.fcpxmld")
    assert [(i.format, i.name, str(i.rate)) for i in lst.inputs] == [("fcpxml", "Cut", "25")]
    assert_same_as_sum(horodex_tc, [str(samples / "Cut.fcpxmld")])


def test_text_in_other_encodings():
    text = "Scène 1\t00:00:01:00\nTag\t–00:00:00:05\n"  # an en dash is a minus
    for encoded in (text.encode("utf-16"), text.encode("cp1252"), b"\xef\xbb\xbf" + text.encode()):
        lst = horodex.read_text(encoded, rate="25")
        assert [e.label for e in lst.entries] == ["Scène 1", "Tag"] and lst.total.frames == 20


def test_a_length_at_the_inputs_own_rate(samples, horodex_tc):
    # Three seconds of OTIO at 24, counted at 25: 75 frames there, and still 72 at its own rate.
    lst = horodex.read(samples / "cut.otio", rate="25")
    assert lst.inputs[0].length == Duration(75, "25") and lst.inputs[0].own_length == Duration(72, "24")
    assert horodex.read(samples / "cut.otio").inputs[0].own_length == Duration(72, "24")
    assert horodex.read(samples / "acts.csv").inputs[0].own_length is None
    assert_same_as_sum(horodex_tc, [str(samples / "cut.otio")], "25")


def test_where_the_rate_comes_from(samples, monkeypatch):
    plain, timeline = str(samples / "acts.csv"), str(samples / "cut.otio")
    assert horodex.read(plain).rate_from == "default" and horodex.read(plain).rate == Timebase(30)
    assert horodex.read(timeline, plain).rate_from == "input"
    assert horodex.read(plain, timeline).rate == Timebase(30)  # only the first input's own rate counts
    assert horodex.read(timeline, rate=Timebase("25")).rate_from == "option"
    monkeypatch.setenv("HORODEX_RATE", "59.94df")
    assert (horodex.read(plain).rate_from, str(horodex.read(plain).rate)) == ("environment", "59.94df")
    assert horodex.read(timeline).rate_from == "input"
    monkeypatch.setenv("HORODEX_RATE", "bogus")
    with pytest.raises(ValueError, match="HORODEX_RATE"):
        horodex.read(plain)


def test_errors_carry_codes_and_sums_wording(horodex_tc, tmp_path):
    path = tmp_path / "bad.txt"
    path.write_text("A 00:00:01:27\nB 00:01:00;00\nC 00:00:01:00 00:00:02:00 00:00:03:00 00:00:04:00\n"
                    "D 00:00:01:00\n")
    lst = horodex.read(path, rate="25")
    # Columns in characters from 1: the frames of line 1, the third time of line 3.
    assert [(e.line, e.column, e.code) for e in lst.errors] == [(1, 12, "frames-out-of-range"), (3, 27, "three-times")]
    assert lst.errors[0].message == "frames 27 at 25 fps" and lst.errors[0].text == "A 00:00:01:27"
    assert not lst.ok and len(lst.entries) >= 1
    dropped = horodex.read_text("B 00:01:00;00\n", rate="29.97df").errors[0]
    assert (dropped.code, dropped.message) == ("no-such-label", "00:01:00;00 does not exist at 29.97df")
    assert_same_as_sum(horodex_tc, [str(path)], "25")
    not_text = horodex.read_text(b"\0\1\2", rate="25").errors[0]
    assert (not_text.line, not_text.column, not_text.code) == (0, 0, "not-text")


def test_a_file_that_cannot_be_opened_raises_oserror(samples, tmp_path):
    with pytest.raises(FileNotFoundError) as caught:
        horodex.read(samples / "acts.csv", tmp_path / "missing.edl")
    assert caught.value.filename == str(tmp_path / "missing.edl")
    with pytest.raises(IsADirectoryError):
        horodex.read(tmp_path)
    with pytest.raises(TypeError):
        horodex.read()
    with pytest.raises(TypeError):
        horodex.read(25)
    with pytest.raises(TypeError):
        horodex.read_text(None)
    with pytest.raises(ValueError):
        horodex.read_text("\ud800")
    with pytest.raises(ValueError):
        horodex.read(samples / "acts.csv", rate="bogus")


def test_read_equals_sum_on_the_project_samples(root, horodex_tc, monkeypatch):
    files = project_samples(root)
    for path in files:
        for rate in (None, "25", "29.97df"):
            assert_same_as_sum(horodex_tc, [path], rate)
    assert_same_as_sum(horodex_tc, files)
    assert_same_as_sum(horodex_tc, files, "23.976")
    assert_same_as_sum(horodex_tc, files[:1], None, {"HORODEX_RATE": "59.94df"}, monkeypatch)


def test_records_are_immutable_with_readable_reprs():
    lst = horodex.read_text("A 00:00:01:00\nB 00:00:01:99\n", rate="25")
    entry, error = lst.entries[0], lst.errors[0]
    for record in (entry, error, lst.inputs[0]):
        assert eval(repr(record), vars(horodex)) == record
        with pytest.raises(AttributeError):
            record.line = 5
    assert entry._fields == ("file", "line", "label", "track", "in_", "out", "duration", "running")
    assert error._fields[:5] == ("file", "line", "column", "code", "message")
    assert isinstance(lst.entries, horodex.Records) and isinstance(lst.errors, collections.abc.Sequence)
    assert len(lst.entries) == 1 and list(reversed(lst.entries)) == [entry]


def test_read_releases_the_gil(tmp_path):
    events = "".join(f"{i % 1000:03d}  R{i}  V  C  00:00:00:00 00:00:01:00 "
                     f"{Duration(i * 25, '25').label} {Duration(i * 25 + 25, '25').label}\n" for i in range(200000))
    path = tmp_path / "long.edl"
    path.write_text(events)
    result = []
    reader = threading.Thread(target=lambda: result.append(horodex.read(path, rate="25")))
    ticks = 0
    start = time.perf_counter()
    reader.start()
    while reader.is_alive():
        ticks += 1
    elapsed = time.perf_counter() - start
    reader.join()
    assert len(result[0].entries) == 200000
    # Holding the GIL, the read would leave this loop a few turns at most.
    assert ticks > 1000, (ticks, elapsed)
