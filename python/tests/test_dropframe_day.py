# SPDX-License-Identifier: MIT
"""Every frame of a day at each drop-frame rate, through the module: the label
the library writes must be the one counted here, label by label, and must read
back to its frame. Drop frame skips the first nominal/15 labels of each minute
not divisible by ten."""
import pytest

from horodex import Duration, Timebase


def labels_of_a_minute(nominal, dropped):
    """'SS;FF' for each label of one minute, the skipped ones left out."""
    width = 3 if nominal > 100 else 2
    return [f"{s:02d};{f:0{width}d}" for s in range(60) for f in range(nominal) if not (s == 0 and f < dropped)]


@pytest.mark.parametrize("rate, nominal, day", [
    ("29.97df", 30, 2_589_408),
    ("59.94df", 60, 5_178_816),
    ("119.88df", 120, 10_357_632),
])
def test_every_label_of_a_day(rate, nominal, day):
    tb = Timebase(rate)
    full = labels_of_a_minute(nominal, 0)
    short = labels_of_a_minute(nominal, nominal // 15)
    frame = 0
    for minute in range(24 * 60):
        prefix = f"{minute // 60:02d}:{minute % 60:02d}:"
        expected = [prefix + s for s in (full if minute % 10 == 0 else short)]
        got = [Duration(i, tb).label for i in range(frame, frame + len(expected))]
        assert got == expected, f"minute {prefix}"
        # Back to frames at the first, the last and every label skipped before.
        for k in (0, 1, nominal // 15, len(expected) - 1):
            assert Duration(expected[k], tb).frames == frame + k
        frame += len(expected)
    assert frame == day
    assert Duration(day, tb).label == "24:00:00;" + "0" * (3 if nominal > 100 else 2)
    assert Duration(day - 1, tb) + 1 == Duration("24:00:00;00", tb)  # no wrap at midnight
