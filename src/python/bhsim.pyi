"""Type stubs of the module bhsim (built from src/python/ with pybind11)."""

from collections.abc import Iterable, Mapping
from typing import Any, Union

import numpy

__version__: str

FieldValue = Union[str, int, float]
Table = Any  # a pandas.DataFrame, or a numpy structured array where pandas cannot be imported

class Refused(Exception):
    """The program refused the run; the message is its reason."""

class RunResult:
    @property
    def fields(self) -> dict[str, str] | None: ...
    @property
    def captions(self) -> dict[str, str] | None: ...
    @property
    def table(self) -> Table: ...
    @property
    def trace(self) -> numpy.ndarray | None: ...
    @property
    def strain(self) -> numpy.ndarray | None: ...
    @property
    def json(self) -> dict[str, Any]: ...
    @property
    def png(self) -> bytes | None: ...
    @property
    def configurations(self) -> int: ...
    @property
    def steps(self) -> int: ...

def run(
    bh: int = 1,
    fields: Mapping[str, FieldValue] | None = None,
    *,
    gravity: str | None = None,
    refresh_every: int | None = None,
    max_steps: int | None = None,
    trace: bool = False,
    png: bool = False,
    strain: bool = False,
    strain_rate: float | None = None,
    distance_mpc: float | None = None,
    inclination_deg: float | None = None,
    jobs: int | None = None,
    progress: bool = False,
) -> RunResult: ...
def grid(
    sweeps: Mapping[str, str | Iterable[FieldValue]],
    bh: int = 1,
    fields: Mapping[str, FieldValue] | None = None,
    *,
    gravity: str | None = None,
    refresh_every: int | None = None,
    max_steps: int | None = None,
    shard: tuple[int, int] | None = None,
    jobs: int | None = None,
    progress: bool = False,
) -> Table: ...
