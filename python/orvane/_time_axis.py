"""The time axis of a record, from its header's RATE.

RATE is taken as samples per second: sample k lies at k / RATE seconds.
Where RATE gives no time scale (0, as files that never set it hold, or a
negative, infinite or NaN value), the axis is the sample numbers
themselves, still as float64, so that every record has an axis of one type.
"""

import math

import numpy as np


def in_seconds(rate):
    """Whether RATE gives a time scale: a positive, finite number."""
    return math.isfinite(rate) and rate > 0


def unit(rate):
    """The unit of the axis: "s", or "sample" where RATE gives no time scale."""
    return "s" if in_seconds(rate) else "sample"


def at(rate, numbers):
    """The float64 axis values of the samples numbered in numbers (an array
    of them): each number divided by RATE, as numpy.arange(n) / RATE gives
    them, or the numbers themselves."""
    axis = np.array(numbers, dtype=np.float64)  # a new array, divided in place
    if in_seconds(rate):
        axis /= rate
    return axis


def times(rate, start, stop, step=1):
    """The axis values of samples start, start + step, ... before stop."""
    axis = np.arange(start, stop, step, dtype=np.float64)
    if in_seconds(rate):
        axis /= rate
    return axis
