"""Type stubs of the module bhsim (built from src/python/ with pybind11)."""

from collections.abc import Iterable, Mapping
from typing import Any, Union

import numpy
from numpy.typing import ArrayLike

__version__: str
GRAVITY_MODELS: dict[str, str]

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
    integrator: str | None = None,
    tolerance: float | None = None,
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
    integrator: str | None = None,
    tolerance: float | None = None,
    refresh_every: int | None = None,
    max_steps: int | None = None,
    shard: tuple[int, int] | None = None,
    jobs: int | None = None,
    progress: bool = False,
) -> Table: ...

class Simulation:
    def __init__(
        self,
        masses: ArrayLike,
        positions: ArrayLike,
        velocities: ArrayLike,
        *,
        dt: float,
        gravity: str | None = None,
        integrator: str = "euler",
        tolerance: float | None = None,
    ) -> None: ...
    def step(self, n: int = 1) -> int: ...
    def integrate_to(self, time: float) -> int: ...
    def strain(self, distance_mpc: float = 410, inclination_deg: float = 0) -> tuple[float, float]: ...
    @property
    def positions(self) -> numpy.ndarray: ...
    @property
    def velocities(self) -> numpy.ndarray: ...
    @property
    def accelerations(self) -> numpy.ndarray: ...
    @property
    def masses(self) -> numpy.ndarray: ...
    @property
    def energy(self) -> float: ...
    @property
    def time(self) -> float: ...
    @property
    def steps(self) -> int: ...
    @property
    def dt(self) -> float: ...
    @property
    def force_evaluations(self) -> int: ...
    @property
    def gravity(self) -> str: ...
    @property
    def integrator(self) -> str: ...
    @property
    def bodies_in_play(self) -> int: ...
    @property
    def ended(self) -> bool: ...
    @property
    def end_reason(self) -> str | None: ...
