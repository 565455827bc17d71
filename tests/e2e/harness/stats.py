"""Statistics of measured figures."""

import math
import statistics


def percentile(values, fraction):
    """Nearest-rank percentile (fraction 0..1) of a non-empty list."""
    ordered = sorted(values)
    return ordered[max(0, math.ceil(fraction * len(ordered)) - 1)]


def median(values):
    return statistics.median(values)


# --- process helpers ---------------------------------------------------------------------------------------------
