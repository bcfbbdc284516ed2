# SPDX-License-Identifier: MIT
"""Exact video timecode: durations at any timebase, drop frame included, and the
totals of lists, EDLs and timelines, from the Horodex library.

Every number comes from the library: nothing is counted in floating point.

    >>> import horodex
    >>> tb = horodex.Timebase("29.97df")
    >>> d = horodex.Duration("00:09:59;29", tb)
    >>> d.frames, d + 1, d.realtime
    (17981, Duration('00:10:00;00', '29.97df'), '0:09:59.966')
    >>> d.to("23.976")
    Duration('00:09:59:09', '23.976')
    >>> horodex.Duration.from_seconds(60, tb).label
    '00:00:59;28'
    >>> lst = horodex.read_text("Act 1 00:12:34:05\\nAct 2 00:10:00:00\\n", rate="25")
    >>> lst.total, lst.rate_from
    (Duration('00:22:34:05', '25'), 'option')

Timebase   a frame rate: '23.976', '25', '29.97df', '30000/1001df', Timebase(30000, 1001, drop=True)
Duration   a signed frame count at a timebase: exact labels, arithmetic and conversions
read       files (lists, CMX3600 EDLs, SubRip and WebVTT subtitles, FCPXML, FCP7 XML,
           OpenTimelineIO, ALE) into a List, as `horodex-tc sum` reads them
read_text  the same for text already in memory
List       entries, errors, per-input figures and totals (Entry, Error, Input, Track records)
TimecodeError  a ValueError for text that is not a duration, with .column
"""

from collections.abc import Sequence as _Sequence

from ._horodex import (
    Duration,
    Entry,
    Error,
    Input,
    List,
    Records,
    Timebase,
    TimecodeError,
    Track,
    read,
    read_text,
)

__all__ = [
    "Duration",
    "Entry",
    "Error",
    "Input",
    "List",
    "Records",
    "Timebase",
    "TimecodeError",
    "Track",
    "read",
    "read_text",
]

_Sequence.register(Records)

# Show the public name, not the extension's, in help() and reprs.
for _name in __all__:
    if globals()[_name].__module__ != __name__:
        globals()[_name].__module__ = __name__
del _name
